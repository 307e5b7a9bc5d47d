#pragma once

// An advisory lock (flock) on the page a run works on, so that two runs at
// once, of the window or the batch command, never work on one page
// together: one cleans it, the other leaves it with a message of its own.

#include <string>

namespace pelloran {

class PageLock {
 public:
  // Tries once, never waits. The lock is on the file the page's name gives
  // at that moment; a name that moves on to another file meanwhile (another
  // run swapped the page in) is tried again with the new file.
  explicit PageLock(const std::string& page);
  ~PageLock();
  PageLock(const PageLock&) = delete;
  PageLock& operator=(const PageLock&) = delete;

  // Does another run hold the page? False also when the page cannot be
  // opened: its pass then reports why.
  bool busy() const { return busy_; }

 private:
  int fd_ = -1;
  bool busy_ = false;
};

}  // namespace pelloran
