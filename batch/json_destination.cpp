#include "batch/json_destination.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string_view>

#include "interfaces/path_names.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;

// How every report begins and ends: no page starts with this.
constexpr std::string_view kReportStart = "{\n  \"dry_run\": ";
constexpr std::string_view kReportEnd = "}\n";

// A file's place with its folder's symbolic links resolved, so that two
// spellings of one folder compare equal.
class Places {
 public:
  fs::path Of(const fs::path& path) {
    std::error_code gone;
    const fs::path absolute = fs::absolute(path, gone).lexically_normal();
    const std::string folder = absolute.parent_path().string();
    auto known = folders_.find(folder);
    if (known == folders_.end()) {
      std::error_code ignored;
      fs::path resolved = fs::weakly_canonical(absolute.parent_path(), ignored);
      known = folders_.emplace(folder, resolved.empty() ? absolute.parent_path() : resolved).first;
    }
    return known->second / absolute.filename();
  }

 private:
  std::map<std::string, fs::path> folders_;
};

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

// Why the destination is a name of one of the run's pages, else nothing.
std::optional<std::string> RunPageKind(const fs::path& place, const std::vector<std::string>& pages,
                                       Places& places) {
  const std::string working_prefix = WorkingCopyName("");
  for (const std::string& page : pages) {
    const fs::path of_page = places.Of(page);
    if (of_page.parent_path() != place.parent_path()) continue;
    const std::string name = of_page.filename().string();
    const std::string wanted = place.filename().string();
    if (wanted == name) return "это страница этого прогона";
    if (wanted == name + "~") return "это резервная копия страницы этого прогона";
    if (wanted == working_prefix + name) return "это рабочая копия страницы этого прогона";
  }
  return std::nullopt;
}

}  // namespace

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

std::optional<std::string> WhyJsonDestinationRefused(const std::string& destination,
                                                     const std::vector<std::string>& pages,
                                                     const PageFilter& filter) {
  Places places;
  const fs::path place = places.Of(destination);
  std::optional<std::string> why = RunPageKind(place, pages, places);
  struct stat st;
  const bool exists = ::lstat(place.c_str(), &st) == 0;
  if (!why && exists) why = PageNameKind(filter, place.filename().string());
  if (!why || (exists && IsEarlierJsonReport(place.string()))) return std::nullopt;
  return *why;
}

}  // namespace pelloran
