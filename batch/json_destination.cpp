#include "batch/json_destination.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string_view>

#include "charfile/current_folder.h"
#include "interfaces/path_names.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;

// How every report begins and ends: no page starts with this.
constexpr std::string_view kReportStart = "{\n  \"dry_run\": ";
constexpr std::string_view kReportEnd = "}\n";

// A place's folder with its symbolic links resolved, so that two spellings
// of one folder compare equal.
fs::path ResolvedFolder(const fs::path& place) {
  std::error_code ignored;
  const fs::path resolved = fs::weakly_canonical(place.parent_path(), ignored);
  return resolved.empty() ? place.parent_path() : resolved;
}

// What a name is to the run when its patterns take it, else nothing.
std::optional<std::string> PageNameKind(const PageFilter& filter, const std::string& name) {
  const std::string working_prefix = WorkingCopyName("");
  if (name.ends_with('~') && TakesName(filter, name.substr(0, name.size() - 1)))
    return "это имя резервной копии страницы";
  if (name.starts_with(working_prefix) && TakesName(filter, name.substr(working_prefix.size())))
    return "это имя рабочей копии страницы";
  if (TakesName(filter, name)) return "это имя страницы";
  return std::nullopt;
}

// What a file named `wanted` would be of a page named `name`, else nothing.
const char* WhatOfPage(std::string_view wanted, std::string_view name) {
  static const std::string kWorkingPrefix = WorkingCopyName("");
  if (wanted == name) return "это страница этого прогона";
  if (wanted.ends_with('~') && wanted.substr(0, wanted.size() - 1) == name)
    return "это резервная копия страницы этого прогона";
  if (wanted.starts_with(kWorkingPrefix) && wanted.substr(kWorkingPrefix.size()) == name)
    return "это рабочая копия страницы этого прогона";
  return nullptr;
}

// Why the destination is a name of one of the run's pages, else nothing. The
// names are compared first; only a page whose name fits has its folder resolved.
std::optional<std::string> RunPageKind(const fs::path& place, const std::vector<std::string>& pages,
                                       const fs::path& start) {
  const std::string wanted = place.filename().string();
  std::optional<fs::path> folder;
  for (const std::string& page : pages) {
    const fs::path of_page = PagePlace(page, start);
    const char* what = WhatOfPage(wanted, of_page.filename().string());
    if (what == nullptr) continue;
    if (!folder) folder = ResolvedFolder(place);
    if (ResolvedFolder(of_page) == *folder) return what;
  }
  return std::nullopt;
}

// Does the file at `path` start and end as the JSON report does?
bool IsEarlierJsonReport(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  char start[kReportStart.size()];
  char end[kReportEnd.size()];
  const off_t size = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : 0;
  const bool same = size >= static_cast<off_t>(kReportStart.size() + kReportEnd.size()) &&
                    ::pread(fd, start, sizeof start, 0) == static_cast<ssize_t>(sizeof start) &&
                    ::pread(fd, end, sizeof end, size - static_cast<off_t>(sizeof end)) ==
                        static_cast<ssize_t>(sizeof end) &&
                    std::string_view(start, sizeof start) == kReportStart &&
                    std::string_view(end, sizeof end) == kReportEnd;
  ::close(fd);
  return same;
}

}  // namespace

std::optional<std::string> WhyJsonDestinationRefused(const std::string& destination,
                                                     const std::vector<std::string>& pages,
                                                     const PageFilter& filter) {
  const fs::path start = CurrentFolder();
  const fs::path place = PagePlace(destination, start);
  std::optional<std::string> why = RunPageKind(place, pages, start);
  struct stat st;
  const bool exists = ::lstat(place.c_str(), &st) == 0;
  if (!why && exists) why = PageNameKind(filter, place.filename().string());
  if (!why || (exists && IsEarlierJsonReport(place.string()))) return std::nullopt;
  return *why;
}

}  // namespace pelloran
