#include "tools/freedesktop_trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>

#include "charfile/file_moves.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;

std::error_code LastError() { return {errno, std::generic_category()}; }

std::optional<dev_t> DeviceOf(const fs::path& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
  return st.st_dev;
}

// Makes `folder` and the folders above it that are missing, each for the
// user alone; true when it is a folder (not a link to one) afterwards.
bool MakeFolders(const fs::path& folder) {
  struct stat st;
  if (::lstat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  if (folder.has_parent_path() && folder.parent_path() != folder &&
      !MakeFolders(folder.parent_path()))
    return false;
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

fs::path HomeDataFolder() {
  const char* data_home = std::getenv("XDG_DATA_HOME");
  if (data_home != nullptr && data_home[0] == '/') return data_home;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return fs::path(home) / ".local/share";
}

// The nearest folder at or above `folder` that exists.
fs::path NearestExisting(fs::path folder) {
  while (!DeviceOf(folder) && folder.has_parent_path() && folder.parent_path() != folder)
    folder = folder.parent_path();
  return folder;
}

// The top of the disk that holds `folder`: the highest folder above it on
// the same device.
fs::path TopOfDisk(fs::path folder, dev_t device) {
  while (folder.has_parent_path() && folder.parent_path() != folder &&
         DeviceOf(folder.parent_path()) == device)
    folder = folder.parent_path();
  return folder;
}

// "$top/.Trash/$uid" when "$top/.Trash" is a real folder with the sticky bit
// (shared by all users), else "$top/.Trash-$uid"; empty when neither can be made.
fs::path DiskTrash(const fs::path& top, dev_t device) {
  const std::string uid = std::to_string(::getuid());
  struct stat shared;
  if (::lstat((top / ".Trash").c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
      (shared.st_mode & S_ISVTX) != 0) {
    const fs::path own = top / ".Trash" / uid;
    if (MakeFolders(own) && DeviceOf(own) == device) return own;
  }
  const fs::path own = top / (".Trash-" + uid);
  if (MakeFolders(own) && DeviceOf(own) == device) return own;
  return {};
}

// The trash a file of this device goes to; empty when there is none.
fs::path TrashFor(const fs::path& file_folder, dev_t device) {
  const fs::path data_home = HomeDataFolder();
  if (data_home.empty()) return {};
  const std::optional<dev_t> home_device = DeviceOf(NearestExisting(data_home));
  if (home_device == device) return MakeFolders(data_home / "Trash") ? data_home / "Trash" : "";
  return DiskTrash(TopOfDisk(file_folder, device), device);
}

std::string DeletionDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

// Writes the note under a name no other note has ("name", "name.2", ...),
// made with O_EXCL so that two deletions never share one; answers the name.
std::optional<std::string> WriteNote(const fs::path& trash, const std::string& name,
                                     const std::string& absolute) {
  const std::string note =
      "[Trash Info]\nPath=" + TrashInfoPath(absolute) + "\nDeletionDate=" + DeletionDate() + "\n";
  for (int n = 1; n < 10000; ++n) {
    const std::string trashed = n == 1 ? name : name + "." + std::to_string(n);
    const fs::path info = trash / "info" / (trashed + ".trashinfo");
    const int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return std::nullopt;
    const bool written = ::write(fd, note.data(), note.size()) == static_cast<ssize_t>(note.size());
    if (::close(fd) != 0 || !written) {
      ::unlink(info.c_str());
      return std::nullopt;
    }
    return trashed;
  }
  return std::nullopt;
}

}  // namespace

std::string TrashInfoPath(std::string_view absolute_path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : absolute_path) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                       (byte >= '0' && byte <= '9') || c == '-' || c == '_' || c == '.' ||
                       c == '~' || c == '/';
    if (plain) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0xF];
    }
  }
  return encoded;
}

std::error_code MoveToTrash(const std::string& path) {
  std::error_code failure;
  // The folder resolved, the name itself not: a link goes to the trash, not its target.
  const fs::path given = fs::absolute(path, failure);
  if (failure) return failure;
  const fs::path folder = fs::canonical(given.parent_path(), failure);
  if (failure) return failure;
  const fs::path absolute = folder / given.filename();
  const std::optional<dev_t> device = DeviceOf(absolute);
  if (!device) return LastError();
  const fs::path trash = TrashFor(folder, *device);
  if (trash.empty() || !MakeFolders(trash / "files") || !MakeFolders(trash / "info"))
    return std::make_error_code(std::errc::operation_not_supported);
  const std::optional<std::string> trashed =
      WriteNote(trash, absolute.filename().string(), absolute.string());
  if (!trashed) return LastError();
  const fs::path target = trash / "files" / *trashed;
  if (const std::error_code moved = RenameNoReplace(absolute.string(), target.string())) {
    ::unlink((trash / "info" / (*trashed + ".trashinfo")).c_str());
    return moved;
  }
  return {};
}

}  // namespace pelloran
