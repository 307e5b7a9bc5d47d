#include "cleaner/page_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "charfile/descriptor_calls.h"

namespace pelloran {

LockedPage::LockedPage(std::string path, Lock lock) : path_(std::move(path)) {
  fd_ = OpenRetrying(path_.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW, 0);
  if (fd_ < 0 || ::fstat(fd_, &status_) != 0) {
    error_ = errno;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return;
  }
  if (lock == Lock::kTake && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) busy_ = errno == EWOULDBLOCK;
}

LockedPage::~LockedPage() {
  if (fd_ >= 0) ::close(fd_);  // the lock goes with it
}

bool LockedPage::StillAsOpened() const {
  struct stat now;
  return ::lstat(path_.c_str(), &now) == 0 && now.st_dev == status_.st_dev &&
         now.st_ino == status_.st_ino && now.st_size == status_.st_size &&
         now.st_mtim.tv_sec == status_.st_mtim.tv_sec &&
         now.st_mtim.tv_nsec == status_.st_mtim.tv_nsec;
}

}  // namespace pelloran
