#pragma once

// Runs the real pelloran-clean in a child process under a chosen fault: without
// root's file capabilities, under a file-size limit, with extra environment,
// or killed after a delay. Reports how it ended and its peak memory.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/fault_env.h"
#include "tests/support/temp_dir.h"

namespace pelloran::testing {

struct CommandFaults {
  bool without_file_capabilities = false;
  rlim_t file_size_limit = RLIM_INFINITY;
  bool output_to_full_device = false;  // standard output on /dev/full
  std::vector<std::pair<std::string, std::string>> environment;
  // Send the command `kill_signal` after this long; zero lets it run to its end.
  std::chrono::microseconds kill_after{0};
  int kill_signal = SIGKILL;
  // Run as this user (and group) instead of root; 0 leaves root.
  uid_t run_as_user = 0;
  // Or send it as soon as this answers true (asked every millisecond).
  std::function<bool()> kill_when;
};

inline CommandFaults WithoutFileCapabilities() {
  CommandFaults faults;
  faults.without_file_capabilities = true;
  return faults;
}

inline CommandFaults WithFileSizeLimit(rlim_t bytes) {
  CommandFaults faults;
  faults.file_size_limit = bytes;
  return faults;
}

struct CommandOutcome {
  int status = -1;  // exit status, or -1 when a signal ended it
  int signal = 0;   // the signal that ended it, or 0
  std::string out;
  std::string err;
  long peak_rss_kb = 0;
};

namespace detail {

// In the child: drops what lets root ignore permissions, also for the program
// about to be executed (root regains its capabilities at exec from the bounding set).
inline bool DropFileCapabilitiesForGood() {
  for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
    if (::prctl(PR_CAPBSET_DROP, cap, 0, 0, 0) != 0) return false;
  }
  return DropFileCapabilities();
}

[[noreturn]] inline void ExecCommand(const std::filesystem::path& dir,
                                     const std::vector<std::string>& args,
                                     const CommandFaults& faults, const std::string& out,
                                     const std::string& err) {
  const char* out_path = faults.output_to_full_device ? "/dev/full" : out.c_str();
  const int out_fd = ::open(out_path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out_fd < 0 || err_fd < 0 || ::dup2(out_fd, 1) < 0 || ::dup2(err_fd, 2) < 0) ::_exit(126);
  if (::chdir(dir.c_str()) != 0) ::_exit(126);
  if (faults.without_file_capabilities && !DropFileCapabilitiesForGood()) ::_exit(126);
  if (faults.file_size_limit != RLIM_INFINITY) {
    const rlimit limit{faults.file_size_limit, faults.file_size_limit};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
  }
  if (faults.run_as_user != 0 &&
      (::setgid(faults.run_as_user) != 0 || ::setuid(faults.run_as_user) != 0))
    ::_exit(126);
  for (const auto& [name, value] : faults.environment) ::setenv(name.c_str(), value.c_str(), 1);
  std::vector<char*> argv;
  static char program[] = PELLORAN_CLEAN_PATH;
  argv.push_back(program);
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  ::execv(program, argv.data());
  ::_exit(127);
}

}  // namespace detail

// Runs pelloran-clean ARGS in `dir`. Its output goes through files beside the
// test's temporary folders, never into `dir`, so the folder holds only pages.
inline CommandOutcome RunCleanCommand(const std::filesystem::path& dir,
                                      const std::vector<std::string>& args,
                                      const CommandFaults& faults = {}) {
  static TempDir output_dir;
  // Named by the child, so that commands may run side by side.
  const auto output = [](pid_t child, const char* stream) {
    return output_dir / (stream + std::to_string(child));
  };
  const pid_t pid = ::fork();
  if (pid < 0) return {};
  if (pid == 0)
    detail::ExecCommand(dir, args, faults, output(::getpid(), "out"), output(::getpid(), "err"));
  const std::string out = output(pid, "out");
  const std::string err = output(pid, "err");
  if (faults.kill_after.count() > 0) {
    std::this_thread::sleep_for(faults.kill_after);
    ::kill(pid, faults.kill_signal);
  }
  // Still running while waitid finds no exit (without reaping it).
  const auto running = [pid] {
    siginfo_t info{};
    return ::waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
  };
  while (faults.kill_when && running()) {
    if (faults.kill_when()) {
      ::kill(pid, faults.kill_signal);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  int raw = 0;
  rusage usage{};
  while (::wait4(pid, &raw, 0, &usage) < 0 && errno == EINTR) {
  }
  CommandOutcome outcome;
  if (WIFEXITED(raw)) outcome.status = WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) outcome.signal = WTERMSIG(raw);
  // A command killed before it opened its output wrote none.
  if (!faults.output_to_full_device && FileExists(out)) outcome.out = ReadFile(out);
  if (FileExists(err)) outcome.err = ReadFile(err);
  outcome.peak_rss_kb = usage.ru_maxrss;
  return outcome;
}

}  // namespace pelloran::testing
