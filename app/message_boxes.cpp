#include "app/message_boxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>

namespace pelloran {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void ShowBox(QMessageBox::Icon icon, const QString& title, std::string_view text) {
  QMessageBox box(icon, title, FromUtf8(text), QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

}  // namespace

void MessageBoxes::ShowInformation(std::string_view text) {
  ShowBox(QMessageBox::NoIcon, title_, text);
}

void MessageBoxes::ShowError(std::string_view text) {
  ShowBox(QMessageBox::Critical, title_, text);
}

bool MessageBoxes::ShowInformationWithOffer(std::string_view text, std::string_view offer) {
  QMessageBox box(QMessageBox::NoIcon, title_, FromUtf8(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  auto* check = new QCheckBox(FromUtf8(offer));
  box.setCheckBox(check);
  box.exec();
  return check->isChecked();
}

bool MessageBoxes::Confirm(std::string_view question) {
  QMessageBox box(QMessageBox::Question, title_, FromUtf8(question), QMessageBox::NoButton,
                  QApplication::activeWindow());
  QPushButton* yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

}  // namespace pelloran
