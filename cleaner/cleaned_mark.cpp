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

constexpr char kMarkName[] = "user.pelloran.cleaned";

}  // namespace

// Read a block at a time, so a page of any size costs little memory.
std::optional<std::string> Fingerprint(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  uint64_t hash = 14695981039346656037ull;
  uint64_t length = 0;
  std::array<unsigned char, 1 << 16> block;
  ssize_t got = 0;
  while ((got = ::read(fd, block.data(), block.size())) > 0) {
    for (ssize_t i = 0; i < got; ++i) hash = (hash ^ block[i]) * 1099511628211ull;
    length += static_cast<uint64_t>(got);
  }
  ::close(fd);
  if (got < 0) return std::nullopt;
  return std::to_string(length) + " " + std::to_string(hash);
}

std::optional<std::string> MarkText(const std::string& path) {
  std::array<char, 64> mark;
  const ssize_t size = ::getxattr(path.c_str(), kMarkName, mark.data(), mark.size());
  if (size < 0) return std::nullopt;
  return std::string(mark.data(), static_cast<size_t>(size));
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
