#include "charfile/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "charfile/descriptor_calls.h"

namespace pelloran {

std::string ReadWholeFile(const std::string& path) {
  const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_NONBLOCK, 0);
  if (fd < 0) throw EInOutError::FromErrno(errno).About(path, FileStep::kOpen);
  std::string text;
  // Sized once from the start: growing by doubling would hold up to three
  // times a large page while it is moved.
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) text.reserve(static_cast<size_t>(st.st_size));
  char block[65536];
  for (;;) {
    const ssize_t n = ::read(fd, block, sizeof block);
    if (n < 0 && (errno == EINTR || ClearedNonBlocking(fd, errno))) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      throw EInOutError::FromErrno(err).About(path, FileStep::kRead);
    }
    if (n == 0) break;
    text.append(block, static_cast<size_t>(n));
  }
  ::close(fd);
  return text;
}

}  // namespace pelloran
