#include "app/desktop_trash.h"

#include <QFile>
#include <system_error>

namespace pelloran {

std::error_code DesktopTrash::Discard(const std::string& path) {
  QFile file(QFile::decodeName(path.c_str()));
  if (file.moveToTrash()) return {};
  // Deleting for good is the caller's to decide, with the user.
  return std::make_error_code(std::errc::operation_not_supported);
}

}  // namespace pelloran
