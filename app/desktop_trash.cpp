#include "app/desktop_trash.h"

#include <QFile>

#include "charfile/file_moves.h"

namespace pelloran {

std::error_code DesktopTrash::Discard(const std::string& path) {
  QFile file(QFile::decodeName(path.c_str()));
  if (file.moveToTrash()) return {};
  return DeleteFile(path);
}

}  // namespace pelloran
