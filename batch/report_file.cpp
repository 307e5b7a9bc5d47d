#include "batch/report_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "charfile/file_moves.h"
#include "interfaces/path_names.h"

namespace pelloran {
namespace {

std::error_code LastError() { return std::error_code(errno, std::generic_category()); }

// Writes all of `text`; a short write (a full disk, a file-size limit) is a failure.
std::error_code WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return written < 0 ? LastError() : std::make_error_code(std::errc::io_error);
    text.remove_prefix(static_cast<size_t>(written));
  }
  return {};
}

}  // namespace

ReportFile::ReportFile(std::string destination) : destination_(std::move(destination)) {
  // The destination itself must be a file (or not be yet): a folder or a
  // FIFO in its place is said so now, not after the run.
  struct stat st;
  if (::stat(destination_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    failure_ = std::make_error_code(S_ISDIR(st.st_mode) ? std::errc::is_a_directory
                                                        : std::errc::invalid_argument);
    return;
  }
  temporary_ = std::string(FolderWithSeparator(destination_)) + "." +
               std::string(NamePart(destination_)) + ".XXXXXX";
  fd_ = ::mkstemp(temporary_.data());
  if (fd_ < 0) failure_ = LastError();
  // Readable as any new file would be (mkstemp makes it for its owner only).
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (fd_ >= 0) ::fchmod(fd_, 0666 & ~mask);
}

ReportFile::~ReportFile() {
  if (fd_ < 0) return;
  ::close(fd_);
  DeleteFile(temporary_);
}

void ReportFile::Append(std::string_view text) {
  if (fd_ < 0 || failure_) return;
  failure_ = WriteAll(fd_, text);
}

std::error_code ReportFile::Commit() {
  if (fd_ < 0) return failure_;
  std::error_code failure = failure_;
  if (::close(fd_) != 0 && !failure) failure = LastError();
  fd_ = -1;
  if (!failure) failure = ReplaceByRename(temporary_, destination_);
  if (failure) DeleteFile(temporary_);
  return failure;
}

}  // namespace pelloran
