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

}  // namespace pelloran
