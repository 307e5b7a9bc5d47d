#include "tools/file_lines.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "charfile/in_out_error.h"

namespace pelloran {
namespace {

// Said after "diff не показан: " on a stream that speaks Russian.
EInOutError ChangedMeanwhile() {
  return EInOutError(EIO, "файл изменился, пока строился его diff");
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

FileLines::FileLines(const std::string& path, size_t block_size) : block_(block_size, '\0') {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) throw EInOutError::FromErrno(errno);
  if (::fstat(fd_, &opened_) != 0) {
    const int err = errno;
    ::close(fd_);
    throw EInOutError::FromErrno(err);
  }
}

FileLines::~FileLines() { ::close(fd_); }

bool FileLines::AtEnd() { return start_ == end_ && !Fill(); }

std::string_view FileLines::ReadLine() {
  for (size_t scanned = start_;;) {
    const void* lf = std::memchr(block_.data() + scanned, '\n', end_ - scanned);
    if (lf != nullptr) {
      const size_t end = static_cast<size_t>(static_cast<const char*>(lf) - block_.data()) + 1;
      const std::string_view line(block_.data() + start_, end - start_);
      start_ = end;
      return Hashed(line);
    }
    scanned = end_ - start_;  // where the unscanned bytes will be after Fill
    if (!Fill()) break;
  }
  const std::string_view line(block_.data() + start_, end_ - start_);
  start_ = end_;
  return Hashed(line);
}

// Every byte is read as part of a line, in both passes.
std::string_view FileLines::Hashed(std::string_view line) {
  hash_ = (hash_ ^ std::hash<std::string_view>{}(line)) * 1099511628211ULL;
  return line;
}

// More of the file after the bytes not yet returned; false at its end.
bool FileLines::Fill() {
  if (start_ > 0) {
    std::memmove(block_.data(), block_.data() + start_, end_ - start_);
    end_ -= start_;
    start_ = 0;
  }
  if (end_ == block_.size()) block_.resize(block_.size() * 2);  // a line longer than a block
  ssize_t n;
  do {
    n = ::pread(fd_, block_.data() + end_, block_.size() - end_, read_at_);
  } while (n < 0 && errno == EINTR);
  if (n < 0) throw EInOutError::FromErrno(errno);
  CheckSameFile();
  if (n == 0) {
    if (read_at_ != opened_.st_size) throw ChangedMeanwhile();
    return false;
  }
  read_at_ += n;
  end_ += static_cast<size_t>(n);
  return true;
}

void FileLines::CheckSameFile() const {
  struct stat now {};
  if (::fstat(fd_, &now) != 0) throw EInOutError::FromErrno(errno);
  if (now.st_size != opened_.st_size || !SameTime(now.st_mtim, opened_.st_mtim) ||
      !SameTime(now.st_ctim, opened_.st_ctim)) {
    throw ChangedMeanwhile();
  }
}

void FileLines::Rewind() {
  while (first_pass_ && !AtEnd()) ReadLine();
  first_pass_ = false;
  first_pass_hash_ = hash_;
  hash_ = 14695981039346656037ULL;
  start_ = end_ = 0;
  read_at_ = 0;
}

void FileLines::CheckUnchanged() {
  while (!AtEnd()) ReadLine();
  if (!first_pass_ && hash_ != first_pass_hash_) throw ChangedMeanwhile();
}

}  // namespace pelloran
