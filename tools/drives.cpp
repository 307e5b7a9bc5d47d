#include "tools/drives.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace pelloran {
namespace {

bool IsPseudoFileSystem(std::string_view type) {
  static const std::set<std::string_view> kPseudo = {
      "autofs",     "binfmt_misc", "bpf",      "cgroup",   "cgroup2", "configfs",
      "debugfs",    "devpts",      "devtmpfs", "efivarfs", "fusectl", "hugetlbfs",
      "mqueue",     "nsfs",        "proc",     "pstore",   "ramfs",   "rpc_pipefs",
      "securityfs", "selinuxfs",   "sysfs",    "tmpfs",    "tracefs", "fuse.gvfsd-fuse",
      "fuse.portal"};
  return kPseudo.count(type) > 0;
}

bool IsUnder(std::string_view path, std::string_view folder) {
  return path == folder || (path.size() > folder.size() && path.starts_with(folder) &&
                            (folder.ends_with('/') || path[folder.size()] == '/'));
}

bool IsSystemArea(std::string_view mount_point) {
  for (std::string_view area : {"/proc", "/sys", "/dev", "/run"}) {
    if (IsUnder(mount_point, area)) return true;
  }
  return false;
}

// The mount table writes a blank, tab, newline and backslash in a path as
// "\040", "\011", "\012" and "\134".
std::string UnescapeMountPoint(std::string_view field) {
  std::string path;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string_view digits = field.substr(i + 1, 3);
      if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
        path +=
            static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
        i += 3;
        continue;
      }
    }
    path += field[i];
  }
  return path;
}

}  // namespace

std::vector<std::string> RealMountPoints(std::string_view mount_table) {
  std::set<std::string> others;
  std::istringstream lines{std::string(mount_table)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string device, mount_point, type;
    if (!(fields >> device >> mount_point >> type)) continue;
    mount_point = UnescapeMountPoint(mount_point);
    if (mount_point == "/" || IsPseudoFileSystem(type) || IsSystemArea(mount_point)) continue;
    others.insert(mount_point);
  }
  std::vector<std::string> drives{"/"};
  drives.insert(drives.end(), others.begin(), others.end());
  return drives;
}

std::vector<std::string> ListDrives() {
  std::ifstream table("/proc/self/mounts");
  const std::string text{std::istreambuf_iterator<char>(table), std::istreambuf_iterator<char>()};
  std::vector<std::string> drives = RealMountPoints(text);
  std::erase_if(drives, [](const std::string& drive) {
    std::error_code ignored;
    return !std::filesystem::is_directory(drive, ignored);
  });
  if (drives.empty() || drives.front() != "/") drives.insert(drives.begin(), "/");
  return drives;
}

std::string DriveOf(const std::vector<std::string>& drives, std::string_view folder) {
  std::string best = "/";
  for (const std::string& drive : drives) {
    if (IsUnder(folder, drive) && drive.size() > best.size()) best = drive;
  }
  return best;
}

}  // namespace pelloran
