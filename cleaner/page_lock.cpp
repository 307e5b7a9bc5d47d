#include "cleaner/page_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace pelloran {
namespace {

// Does `path` still name the open file?
bool StillNames(int fd, const std::string& path) {
  struct stat open_st, named_st;
  return ::fstat(fd, &open_st) == 0 && ::stat(path.c_str(), &named_st) == 0 &&
         open_st.st_dev == named_st.st_dev && open_st.st_ino == named_st.st_ino;
}

}  // namespace

PageLock::PageLock(const std::string& page) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    fd_ = ::open(page.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      busy_ = errno == EWOULDBLOCK;
      ::close(fd_);
      fd_ = -1;
      return;
    }
    if (StillNames(fd_, page)) return;
    ::close(fd_);  // the lock goes with it
    fd_ = -1;
  }
  // The name moved on each time: another run is busy with this page.
  busy_ = true;
}

PageLock::~PageLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace pelloran
