#pragma once

#include <string>
#include <string_view>

namespace pelloran {

// The name part of a path: what follows its last "/". A ":" is an ordinary
// character of a name here ("notes:a.htm" is one name).
inline std::string_view NamePart(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The folder of a path up to and including its last "/"; empty without one.
inline std::string_view FolderWithSeparator(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

// The folder of a path without its last "/", except that the root keeps its
// "/"; empty without one.
inline std::string_view FolderPart(std::string_view path) {
  const std::string_view folder = FolderWithSeparator(path);
  return folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
}

// Names made beside a page from its bare name.
inline std::string WorkingCopyName(std::string_view name) { return "PL!__" + std::string(name); }
inline std::string BackupName(std::string_view name) { return std::string(name) + "~"; }

// A page on disk by its folder and its bare name, and the files a clean makes
// beside it. Messages name the page by its bare name; file steps use the
// paths, so no folder ever has to be the current directory.
struct PageFiles {
  std::string folder;  // empty: the current directory
  std::string name;

  // Split at the last "/"; a path without one is in the current directory.
  static PageFiles At(std::string_view path) {
    return {std::string(FolderPart(path)), std::string(NamePart(path))};
  }
  // A file of this name in the page's folder.
  std::string In(std::string_view file) const {
    if (folder.empty()) return std::string(file);
    return folder.ends_with('/') ? folder + std::string(file) : folder + "/" + std::string(file);
  }
  std::string Path() const { return In(name); }
  std::string Backup() const { return In(BackupName(name)); }
  std::string WorkingCopy() const { return In(WorkingCopyName(name)); }
  // The folder as a path the system takes.
  std::string FolderPath() const { return folder.empty() ? "." : folder; }
};

}  // namespace pelloran
