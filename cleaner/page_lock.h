#pragma once

// The page a run works on, opened once: one descriptor, never through a
// symbolic link, its status taken as it was opened, and an advisory lock
// (flock) on it, so that two runs at once, of the window or the batch
// command, never work on one page together whatever the file system. Every
// later step (reading, the backup's name, the check before the swap) uses
// this descriptor rather than opening the page again.

#include <sys/stat.h>

#include <string>

namespace pelloran {

class LockedPage {
 public:
  enum class Lock { kTake, kNone };
  // Opens `path` for reading, non-blocking (a FIFO must not hold the run),
  // and with kTake tries the lock once, never waiting.
  LockedPage(std::string path, Lock lock);
  ~LockedPage();
  LockedPage(const LockedPage&) = delete;
  LockedPage& operator=(const LockedPage&) = delete;

  // errno of the open (ELOOP: the name is a symbolic link); 0 when open.
  int error() const { return error_; }
  // Does another run hold the page? The file system may have no locks: the
  // page is then cleaned without one.
  bool busy() const { return busy_; }
  int fd() const { return fd_; }
  const std::string& path() const { return path_; }
  // The page's status as it was opened.
  const struct stat& status() const { return status_; }
  // Does the page's name still give the file opened, with the length and
  // modification time it had then? False when the page was replaced or
  // written meanwhile.
  bool StillAsOpened() const;

 private:
  std::string path_;
  int fd_ = -1;
  int error_ = 0;
  bool busy_ = false;
  struct stat status_ = {};
};

}  // namespace pelloran
