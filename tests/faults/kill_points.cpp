// Preloaded into the batch command by the crash test: counts every call that
// changes a file or a name (an open for writing, unnamed files included, a
// write, a rename, a link, an unlink, a chmod, an fsync, in each of their
// forms) and kills the process with SIGKILL just before
// the call numbered PELLORAN_KILL_AT, so that a test can stop the command
// between any two steps of its work.

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

long kill_at = -2;  // -2: not read yet; -1: never
long steps = 0;

void Step() {
  if (kill_at == -2) {
    const char* value = getenv("PELLORAN_KILL_AT");
    kill_at = value != nullptr ? atol(value) : -1;
  }
  if (++steps == kill_at) kill(getpid(), SIGKILL);
}

template <typename Function>
Function Real(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

bool Writes(int flags) { return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0; }

mode_t ModeOf(int flags, va_list args) {
  return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeOf(flags, args);
  va_end(args);
  if (Writes(flags)) Step();
  static const auto real = Real<int (*)(const char*, int, ...)>("open");
  return real(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeOf(flags, args);
  va_end(args);
  if (Writes(flags)) Step();
  static const auto real = Real<int (*)(const char*, int, ...)>("open64");
  return real(path, flags, mode);
}

int openat(int dir, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = ModeOf(flags, args);
  va_end(args);
  if (Writes(flags)) Step();
  static const auto real = Real<int (*)(int, const char*, int, ...)>("openat");
  return real(dir, path, flags, mode);
}

ssize_t write(int fd, const void* data, size_t size) {
  if (fd > 2) Step();  // the terminal's messages are no step of the work
  static const auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
  return real(fd, data, size);
}

int rename(const char* from, const char* to) {
  Step();
  static const auto real = Real<int (*)(const char*, const char*)>("rename");
  return real(from, to);
}

int renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) {
  Step();
  static const auto real = Real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
  return real(from_dir, from, to_dir, to, flags);
}

int link(const char* from, const char* to) {
  Step();
  static const auto real = Real<int (*)(const char*, const char*)>("link");
  return real(from, to);
}

int unlink(const char* path) {
  Step();
  static const auto real = Real<int (*)(const char*)>("unlink");
  return real(path);
}

int renameat(int from_dir, const char* from, int to_dir, const char* to) {
  Step();
  static const auto real = Real<int (*)(int, const char*, int, const char*)>("renameat");
  return real(from_dir, from, to_dir, to);
}

int linkat(int from_dir, const char* from, int to_dir, const char* to, int flags) {
  Step();
  static const auto real = Real<int (*)(int, const char*, int, const char*, int)>("linkat");
  return real(from_dir, from, to_dir, to, flags);
}

int unlinkat(int dir, const char* path, int flags) {
  Step();
  static const auto real = Real<int (*)(int, const char*, int)>("unlinkat");
  return real(dir, path, flags);
}

int fchmod(int fd, mode_t mode) {
  Step();
  static const auto real = Real<int (*)(int, mode_t)>("fchmod");
  return real(fd, mode);
}

int chmod(const char* path, mode_t mode) {
  Step();
  static const auto real = Real<int (*)(const char*, mode_t)>("chmod");
  return real(path, mode);
}

int fsync(int fd) {
  Step();
  static const auto real = Real<int (*)(int)>("fsync");
  return real(fd);
}

}  // extern "C"
