#include "cleaner/page_swap.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "charfile/file_moves.h"
#include "charfile/in_out_error.h"
#include "charfile/working_copy.h"
#include "cleaner/cleaned_mark.h"
#include "cleaner/cleaned_record.h"
#include "cleaner/page_lock.h"
#include "cleaner/page_messages.h"

namespace pelloran {
namespace {

std::error_code Errno(int err) { return std::error_code(err, std::generic_category()); }

bool RefusedForTests(const char* what) {
  const char* refused = ::getenv("PELLORAN_REFUSE");
  return refused != nullptr && std::strstr(refused, what) != nullptr;
}

// Is the file at `path` locked by another run? Opening it never follows a link.
bool HeldByAnotherRun(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return held;
}

// The longest name the folder takes, in bytes.
long LongestNameIn(const std::string& folder) {
  const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  return longest > 0 ? longest : 255;
}

// Does a failed hard link mean the file system has none for this page?
bool HardLinksRefused(std::error_code failure) {
  return failure.value() == EPERM || failure.value() == ENOTSUP || failure.value() == EMLINK;
}

// Why the page is left when its backup name could not be given by rename.
PageLeft BackupFailure(const PageFiles& page, std::error_code failure) {
  if (failure == std::errc::file_exists) return {BackupExistsMessage(page.name), true};
  return {BackupNotMadeMessage(page.name, failure)};
}

}  // namespace

FolderWays FolderWays::Learn(const std::string& folder) {
  FolderWays ways;
  ways.folder = folder;
  const std::string path = folder.empty() ? "." : folder;
  ways.longest_name = LongestNameIn(path);
  ways.unnamed_files = !RefusedForTests("unnamed-files");
  ways.hard_links = !RefusedForTests("hard-links");
  ways.default_acl = ::getxattr(path.c_str(), "system.posix_acl_default", nullptr, 0) > 0;
  return ways;
}

PageCommit::PageCommit(const PageFiles& page, const LockedPage& original, FolderWays& ways)
    : page_(page), original_(original), ways_(&ways) {}

PageCommit::PageCommit(const PageFiles& page, const LockedPage& original, std::string output,
                       bool backup_rule)
    : page_(page), original_(original), output_(std::move(output)), backup_rule_(backup_rule) {}

PageCommit::~PageCommit() {
  if (!kept_) Drop();
  if (fd_ >= 0) ::close(fd_);
}

std::optional<PageLeft> PageCommit::MakeWorkingCopy() {
  const mode_t bits = original_.status().st_mode & 07777;
  if (!IntoPage()) {
    // A file left under the caller's name goes: it may be a link elsewhere.
    if (::unlink(output_.c_str()) != 0 && errno != ENOENT)
      throw EInOutError::FromErrno(errno).About(output_, FileStep::kCreate);
    fd_ = CreateNewFile(output_, bits);
    named_ = fd_ >= 0;
  } else if (ways_->unnamed_files) {
    fd_ = CreateUnnamedFile(page_.FolderPath(), bits);
    if (fd_ < 0 && UnnamedFilesRefused(errno)) ways_->unnamed_files = false;
  }
  if (IntoPage() && !ways_->unnamed_files) {
    if (auto busy = MakeNamedCopy()) return busy;
  }
  if (fd_ < 0) {
    if (!IntoPage()) throw EInOutError::FromErrno(errno).About(output_, FileStep::kCreate);
    throw EInOutError::FromErrno(errno).About(page_.FolderPath(), FileStep::kCreateInFolder);
  }
  GiveAttributes(original_.fd(), original_.status(), fd_, kCleanedMarkName,
                 ways_ != nullptr && ways_->default_acl);
  return std::nullopt;
}

// The working copy's name counts as taken while a run holds the file under
// it; one no run holds is a killed run's and goes.
std::optional<PageLeft> PageCommit::MakeNamedCopy() {
  const std::string name = page_.WorkingCopy();
  const mode_t bits = original_.status().st_mode & 07777;
  fd_ = CreateNewFile(name, bits);
  if (fd_ < 0 && errno == EEXIST) {
    if (HeldByAnotherRun(name)) return PageLeft{PageBusyMessage(page_.name), true};
    if (::unlink(name.c_str()) != 0 && errno != ENOENT)
      throw EInOutError::FromErrno(errno).About(name, FileStep::kCreate);
    fd_ = CreateNewFile(name, bits);
  }
  // A folder that takes no new file is the folder's failure, not the name's.
  if (fd_ < 0)
    throw EInOutError::FromErrno(errno).About(page_.FolderPath(), FileStep::kCreateInFolder);
  named_ = true;
  ::flock(fd_, LOCK_EX | LOCK_NB);
  return std::nullopt;
}

int PageCommit::MakeScratchFile() const {
  const std::string folder = IntoPage() ? page_.FolderPath() : std::string(FolderPart(output_));
  if (ways_ == nullptr || ways_->unnamed_files) {
    const int fd = CreateUnnamedFile(folder.empty() ? "." : folder, 0600);
    if (fd >= 0 || !UnnamedFilesRefused(errno)) {
      if (fd < 0) throw EInOutError::FromErrno(errno).About(folder, FileStep::kCreateInFolder);
      return fd;
    }
  }
  // Where the page's folder has no unnamed files, the system's temporary
  // folder takes the scratch file, so a kill leaves nothing beside the page.
  const char* temporary = ::getenv("TMPDIR");
  const std::string elsewhere = temporary != nullptr && *temporary != '\0' ? temporary : "/tmp";
  int fd = CreateUnnamedFile(elsewhere, 0600);
  if (fd >= 0) return fd;
  std::string name = elsewhere + "/pelloran-XXXXXX";
  fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) throw EInOutError::FromErrno(errno).About(elsewhere, FileStep::kCreateInFolder);
  ::unlink(name.c_str());
  return fd;
}

// A run killed after it named the backup and before the swap leaves the
// backup a second name of the page as it still is.
bool PageCommit::KilledSwapLeftBackup() const {
  struct stat backup;
  return ::lstat(page_.Backup().c_str(), &backup) == 0 &&
         backup.st_dev == original_.status().st_dev && backup.st_ino == original_.status().st_ino &&
         original_.StillAsOpened();
}

std::optional<PageLeft> PageCommit::TakeBackupName() {
  struct stat backup;
  if (!IntoPage()) {
    // Any name there, a dangling link too, would refuse the run's backup.
    if (backup_rule_ && ::lstat(page_.Backup().c_str(), &backup) == 0)
      return PageLeft{BackupExistsMessage(page_.name), true};
    return std::nullopt;
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::error_code failure = Errno(EPERM);
    if (ways_->hard_links) failure = LinkDescriptor(original_.fd(), page_.Backup());
    if (!failure) {
      backup_linked_ = true;
      return std::nullopt;
    }
    if (failure == std::errc::file_exists && attempt == 0 && KilledSwapLeftBackup() &&
        !DeleteFile(page_.Backup()))
      continue;
    if (failure == std::errc::file_exists) return PageLeft{BackupExistsMessage(page_.name), true};
    if (!HardLinksRefused(failure)) return PageLeft{BackupNotMadeMessage(page_.name, failure)};
    if (::lstat(page_.Backup().c_str(), &backup) == 0)
      return PageLeft{BackupExistsMessage(page_.name), true};
    backup_by_rename_ = true;
    return std::nullopt;
  }
  return PageLeft{BackupExistsMessage(page_.name), true};
}

bool PageCommit::SameAsPage(off_t size) const {
  return size == original_.status().st_size && SameBytes(fd_, original_.fd(), size);
}

std::optional<PageLeft> PageCommit::Keep(const PageFingerprint& print) {
  if (!IntoPage()) {
    kept_ = true;
    return std::nullopt;
  }
  // A page written or replaced while it was read must not become a mix.
  if (!original_.StillAsOpened()) return PageLeft{PageChangedMessage(page_.name)};
  const bool marked = MarkCleaned(fd_, print);
  if (auto failure = PutInPlace()) return failure;
  kept_ = true;
  // Where the file system keeps no mark, the folder's record tells instead.
  if (!marked) RecordCleaned(page_.Path(), print);
  return std::nullopt;
}

std::optional<PageLeft> PageCommit::PutInPlace() {
  if (!named_) {
    std::error_code failure = LinkDescriptor(fd_, page_.WorkingCopy());
    // A name no run holds is a killed run's leftover.
    if (failure == std::errc::file_exists && !HeldByAnotherRun(page_.WorkingCopy()) &&
        !DeleteFile(page_.WorkingCopy()))
      failure = LinkDescriptor(fd_, page_.WorkingCopy());
    if (failure) return PageLeft{NotRenamedMessage(page_.name, failure)};
    named_ = true;
  }
  if (backup_by_rename_) {
    if (const std::error_code failure = RenameNoReplace(page_.Path(), page_.Backup()))
      return BackupFailure(page_, failure);
    if (const std::error_code failure = RenameNoReplace(page_.WorkingCopy(), page_.Path())) {
      std::string message = NotRenamedMessage(page_.name, failure);
      if (RenameNoReplace(page_.Backup(), page_.Path()))
        message += OriginalLeftInBackupNote(page_.name);
      return PageLeft{message};
    }
    return std::nullopt;
  }
  if (const std::error_code failure = ReplaceByRename(page_.WorkingCopy(), page_.Path()))
    return PageLeft{NotRenamedMessage(page_.name, failure)};
  return std::nullopt;
}

void PageCommit::Drop() {
  if (named_) DeleteFile(IntoPage() ? page_.WorkingCopy() : output_);
  if (backup_linked_) DeleteFile(page_.Backup());  // only a second name of the page as it is
  named_ = backup_linked_ = false;
}

Leftover RestoreAfterKilledRenames(const PageFiles& page) {
  struct stat backup, copy;
  if (::lstat(page.Backup().c_str(), &backup) != 0 || !S_ISREG(backup.st_mode) ||
      ::lstat(page.WorkingCopy().c_str(), &copy) != 0 || !S_ISREG(copy.st_mode))
    return Leftover::kNone;
  // The run between its renames holds the page, now under the backup's name.
  if (HeldByAnotherRun(page.Backup())) return Leftover::kBusy;
  if (RenameNoReplace(page.Backup(), page.Path())) return Leftover::kNone;
  DeleteFile(page.WorkingCopy());
  return Leftover::kRestored;
}

std::optional<std::string> WorkingCopyNameTooLong(const PageFiles& page, long longest) {
  if (WorkingCopyName(page.name).size() <= static_cast<size_t>(longest)) return std::nullopt;
  return WorkingCopyTooLongMessage(page.name, longest);
}

}  // namespace pelloran
