#pragma once

#include <string>
#include <system_error>

#include "charfile/file_moves.h"

namespace pelloran {

// Where the files the user deletes go. The window hands them to the desktop's
// trash, so that a wrong click can be undone. Reports failure by its result,
// like the other file moves: a file no trash takes stays where it is.
class Trash {
 public:
  virtual ~Trash() = default;
  // Takes the file `path` (a bare name resolves in the current directory)
  // out of its folder.
  virtual std::error_code Discard(const std::string& path) = 0;
};

// No trash at all: files are deleted for good.
class NoTrash : public Trash {
 public:
  std::error_code Discard(const std::string& path) override { return DeleteFile(path); }
};

}  // namespace pelloran
