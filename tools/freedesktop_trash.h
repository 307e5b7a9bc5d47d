#pragma once

// The desktop's trash as freedesktop.org lays it out: a "files" folder that
// holds the deleted files and an "info" folder with a ".trashinfo" note for
// each, saying where it came from and when. No Qt.

#include <string>
#include <string_view>
#include <system_error>

#include "interfaces/trash.h"

namespace pelloran {

// Moves the file `path` (a bare name resolves in the current directory) into
// the trash of its disk: the home trash ($XDG_DATA_HOME/Trash, by default
// ~/.local/share/Trash, made when missing) when the file is on the home
// folder's disk, else "$top/.Trash/$uid" or "$top/.Trash-$uid" at the top of
// its own disk. A file is never moved anywhere else: when no trash takes it,
// the answer is an error and the file stays where it is.
std::error_code MoveToTrash(const std::string& path);

// The Path value of a ".trashinfo" note: the absolute path with every byte
// but letters, digits, "-", "_", ".", "~" and "/" written as "%XX".
std::string TrashInfoPath(std::string_view absolute_path);

// The trash the window's deletions go to; see MoveToTrash.
class DesktopTrash : public Trash {
 public:
  std::error_code Discard(const std::string& path) override { return MoveToTrash(path); }
};

}  // namespace pelloran
