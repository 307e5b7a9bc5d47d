#include "cleaner/cleaned_mark.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <optional>

namespace pelloran {
namespace {

constexpr const char* kMarkName = kCleanedMarkName;

}  // namespace

// Read a block at a time, so a page of any size costs little memory.
std::optional<std::string> Fingerprint(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  PageFingerprint print;
  std::array<unsigned char, 1 << 16> block;
  ssize_t got = 0;
  while ((got = ::read(fd, block.data(), block.size())) > 0)
    print.Add(block.data(), static_cast<size_t>(got));
  ::close(fd);
  if (got < 0) return std::nullopt;
  return print.Text();
}

std::optional<std::string> MarkText(const std::string& path) {
  std::array<char, 64> mark;
  const ssize_t size = ::getxattr(path.c_str(), kMarkName, mark.data(), mark.size());
  if (size < 0) return std::nullopt;
  return std::string(mark.data(), static_cast<size_t>(size));
}

const char kCleanedMarkName[] = "user.pelloran.cleaned";

void PageFingerprint::Add(const unsigned char* bytes, size_t size) {
  uint64_t hash = hash_;
  for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  hash_ = hash;
  length_ += size;
}

std::string PageFingerprint::Text() const {
  return std::to_string(length_) + " " + std::to_string(hash_);
}

bool MarkCleaned(int fd, const PageFingerprint& print) {
  const std::string text = print.Text();
  // Without the mark a later undo asks before it overwrites: nothing is lost.
  return ::fsetxattr(fd, kMarkName, text.data(), text.size(), 0) == 0;
}

void MarkCleaned(const std::string& path) {
  const std::optional<std::string> print = Fingerprint(path);
  if (!print) return;
  // Without the mark a later undo asks before it overwrites: nothing is lost.
  ::setxattr(path.c_str(), kMarkName, print->data(), print->size(), 0);
}

CleanedState CheckCleaned(const std::string& path) {
  std::array<char, 64> mark;
  const ssize_t size = ::getxattr(path.c_str(), kMarkName, mark.data(), mark.size());
  if (size < 0) {
    // A mark too long for the buffer is no mark of ours.
    if (errno == ENODATA) return CleanedState::kUnmarked;
    return errno == ERANGE ? CleanedState::kChanged : CleanedState::kUnknown;
  }
  const std::optional<std::string> print = Fingerprint(path);
  if (!print) return CleanedState::kUnknown;
  return *print == std::string(mark.data(), static_cast<size_t>(size)) ? CleanedState::kAsCleaned
                                                                       : CleanedState::kChanged;
}

}  // namespace pelloran
