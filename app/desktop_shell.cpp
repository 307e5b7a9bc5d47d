#include "app/desktop_shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#include "tools/text_editor_lookup.h"

namespace pelloran {
namespace {

// Paths are the file system's own bytes.
QString FromPath(const std::string& path) { return QFile::decodeName(path.c_str()); }

bool IsOpenVerb(const std::string& verb) {
  return verb.empty() || QString::fromStdString(verb).compare("open", Qt::CaseInsensitive) == 0;
}

QString WorkingFolder(const std::string& folder) {
  const QFileInfo info(FromPath(folder));
  return !folder.empty() && info.isDir() ? info.absoluteFilePath() : QDir::homePath();
}

void OpenPath(const QString& path) {
  if (path.isEmpty()) return;
  QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

}  // namespace

void DesktopShell::ShellOpenDocument(const std::string& verb, const std::string& path) {
  if (IsOpenVerb(verb)) OpenPath(FromPath(path));
}

bool DesktopShell::LaunchProgram(const std::string& program, const std::string& parameters,
                                 const std::string& folder, ShowMode /*show*/) {
  std::vector<std::string> command;
  if (program == kTextEditorProgram) {
    auto editor = TextEditorCommand(parameters);
    if (!editor) return false;
    command = std::move(*editor);
  } else {
    command.push_back(program);
    if (!parameters.empty()) command.push_back(parameters);
  }
  QStringList arguments;
  for (size_t i = 1; i < command.size(); ++i) arguments << FromPath(command[i]);
  return QProcess::startDetached(FromPath(command.front()), arguments, WorkingFolder(folder));
}

}  // namespace pelloran
