#include "app/help_viewer.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace pelloran {

std::optional<QUrl> HelpPageUrl(const QString& help_file, int context,
                                const QString& program_folder) {
  const QFileInfo file(QDir(program_folder), help_file);
  const QString page =
      file.path() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral(".html");
  if (!QFileInfo(page).isFile()) return std::nullopt;
  QUrl url = QUrl::fromLocalFile(QDir::cleanPath(page));
  url.setFragment(QString::number(context));
  return url;
}

void DesktopHelpViewer::ShowTopic(const QString& help_file, int context) {
  if (auto url = HelpPageUrl(help_file, context, QCoreApplication::applicationDirPath())) {
    QDesktopServices::openUrl(*url);
  }
}

}  // namespace pelloran
