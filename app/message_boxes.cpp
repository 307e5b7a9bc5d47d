#include "app/message_boxes.h"

#include <QApplication>
#include <QMessageBox>

namespace pelloran {
namespace {

void ShowBox(QMessageBox::Icon icon, const QString& title, std::string_view text) {
  QMessageBox box(icon, title, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

}  // namespace

void MessageBoxes::ShowInformation(std::string_view text) {
  ShowBox(QMessageBox::NoIcon, title_, text);
}

void MessageBoxes::ShowError(std::string_view text) {
  ShowBox(QMessageBox::Critical, title_, text);
}

}  // namespace pelloran
