#pragma once

// The lines of a file read in blocks, so that a diff of a large page holds
// only a block of it at a time.

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/line_reader.h"

namespace pelloran {

// Reads with pread, never through a mapping: a file cut short while it is
// read gives an EInOutError, not a crash. A file that changes between or
// during passes gives one too (its size, times or bytes differ), so that no
// diff is taken from two different versions of it.
class FileLines : public LineReader {
 public:
  explicit FileLines(const std::string& path, size_t block_size = size_t{1} << 20);
  ~FileLines() override;
  FileLines(const FileLines&) = delete;
  FileLines& operator=(const FileLines&) = delete;

  bool AtEnd() override;
  // Reads the rest of the file and compares it, whole, with the first pass.
  void CheckUnchanged() override;

 protected:
  std::string_view ReadLine() override;
  void Rewind() override;

 private:
  bool Fill();
  std::string_view Hashed(std::string_view line);
  void CheckSameFile() const;

  int fd_;
  struct stat opened_ {};
  std::string block_;
  size_t start_ = 0, end_ = 0;
  off_t read_at_ = 0;
  // A hash of the lines read in this pass, and of the whole first pass.
  uint64_t hash_ = 14695981039346656037ULL;
  uint64_t first_pass_hash_ = 0;
  bool first_pass_ = true;
};

}  // namespace pelloran
