#pragma once

#include "interfaces/trash.h"

namespace pelloran {

// The desktop's trash (the freedesktop.org trash on Linux): a deleted file can
// be brought back from there. Where the file's file system has no trash that
// the program may use, the file is deleted for good.
class DesktopTrash : public Trash {
 public:
  std::error_code Discard(const std::string& path) override;
};

}  // namespace pelloran
