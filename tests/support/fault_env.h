#pragma once

// Real file-system faults for tests running as root, who ignores permissions:
// a tiny tmpfs that fills up, a tmpfs remounted read-only, and a child process
// without the capabilities that let root pass permission checks.

#include <fcntl.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>

#include "tests/support/temp_dir.h"

namespace pelloran::testing {

// A file system of `type` mounted on a fresh folder; unmounted when it goes.
class MountedFolder {
 public:
  MountedFolder(const char* type, const std::string& options)
      : mounted_(::mount(type, dir_.path().c_str(), type, 0, options.c_str()) == 0) {}
  ~MountedFolder() {
    if (mounted_) ::umount2(dir_.path().c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  std::string operator/(std::string_view name) const { return dir_ / name; }
  const std::filesystem::path& path() const { return dir_.path(); }

 private:
  TempDir dir_;
  bool mounted_;
};

// A tmpfs of `size` bytes, which fills up, and may be made read-only.
class SmallTmpfs : public MountedFolder {
 public:
  explicit SmallTmpfs(const std::string& size)
      : MountedFolder("tmpfs", "size=" + size + ",mode=0777") {}
  bool RemountReadOnly() {
    return ::mount(nullptr, path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }
};

// Sets or clears an inode flag of the file: FS_IMMUTABLE_FL makes even root's
// renames fail, FS_APPEND_FL even root's links and renames. False where the
// file system has no such flags.
inline bool SetInodeFlag(const std::string& path, int flag, bool on) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? (flags | flag) : (flags & ~flag);
  done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  ::close(fd);
  return done;
}

// Drops CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH from this process.
inline bool DropFileCapabilities() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  if (syscall(SYS_capget, &header, data) != 0) return false;
  for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
    data[cap / 32].effective &= ~(1u << (cap % 32));
    data[cap / 32].permitted &= ~(1u << (cap % 32));
  }
  return syscall(SYS_capset, &header, data) == 0;
}

// Takes CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH out of the calling thread's
// effective set for the object's lifetime, so that root meets file
// permissions as any user does; they stay permitted and come back at the
// end. For a threaded program, which cannot be forked safely.
class WithoutFileCapabilities {
 public:
  WithoutFileCapabilities() : active_(SetEffective(false)) {}
  ~WithoutFileCapabilities() {
    if (active_) SetEffective(true);
  }
  WithoutFileCapabilities(const WithoutFileCapabilities&) = delete;
  WithoutFileCapabilities& operator=(const WithoutFileCapabilities&) = delete;
  bool active() const { return active_; }

 private:
  static bool SetEffective(bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
      const uint32_t bit = 1u << (cap % 32);
      if (on) {
        data[cap / 32].effective |= data[cap / 32].permitted & bit;
      } else {
        data[cap / 32].effective &= ~bit;
      }
    }
    return syscall(SYS_capset, &header, data) == 0;
  }

  bool active_;
};

// Runs `body` in a forked child without the file capabilities and returns its
// exit status; -1 when the child could not be made or could not drop them.
inline int RunWithoutFileCapabilities(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (!DropFileCapabilities()) ::_exit(255);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 255) return -1;
  return WEXITSTATUS(status);
}

}  // namespace pelloran::testing
