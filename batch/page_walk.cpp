#include "batch/page_walk.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "charfile/current_folder.h"
#include "charfile/failure_text.h"
#include "cleaner/page_eligibility.h"
#include "interfaces/path_names.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;

bool IsWorkFile(const std::string& name) {
  return name.ends_with('~') || name.starts_with(WorkingCopyName(""));
}

class Walker {
 public:
  Walker(const PageFilter& filter, PageWalk& walk) : filter_(filter), walk_(walk) {}

  void Folder(const fs::path& folder) {
    std::vector<std::string> files;
    std::vector<std::string> folders;
    if (!List(folder, files, folders)) return;
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    for (const std::string& name : files) walk_.pages.push_back((folder / name).string());
    if (filter_.recursive) {
      for (const std::string& name : folders) Folder(folder / name);
    } else {
      for (const std::string& name : folders) {
        if (IsPageName(name))
          walk_.notes.push_back(
              {(folder / name).string(), "это папка, а не страница (её страницы берёт -r)", false});
      }
    }
  }

 private:
  bool IsPageName(const std::string& name) const {
    return !IsWorkFile(name) && TakesName(filter_, name);
  }

  // The folder's page names and subfolder names; false, with a note, when it
  // cannot be read.
  bool List(const fs::path& folder, std::vector<std::string>& files,
            std::vector<std::string>& folders) {
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
      const std::string name = it->path().filename().string();
      std::error_code ignored;
      // A symbolic link to a folder is not followed; one to a file is a file.
      if (it->is_symlink(ignored) ? false : it->is_directory(ignored)) {
        folders.push_back(name);
      } else if (filter_.by_backup) {
        if (name.ends_with('~') && fs::is_regular_file(it->path(), ignored)) {
          const std::string page = name.substr(0, name.size() - 1);
          if (IsPageName(page)) files.push_back(page);
        }
      } else if (IsPageName(name) && fs::is_regular_file(it->path(), ignored)) {
        files.push_back(name);
      }
    }
    if (error) {
      walk_.notes.push_back(
          {folder.string(), "не удалось прочитать папку: " + ReasonInRussian(error), true});
      return false;
    }
    return true;
  }

  const PageFilter& filter_;
  PageWalk& walk_;
};

}  // namespace

bool TakesName(const PageFilter& filter, const std::string& name) {
  const std::vector<std::string>& include =
      filter.include.empty() ? kPageNamePatterns : filter.include;
  const auto matches = [&name](const std::string& glob) { return MatchesGlob(glob, name); };
  return std::any_of(include.begin(), include.end(), matches) &&
         std::none_of(filter.exclude.begin(), filter.exclude.end(), matches);
}

std::filesystem::path PagePlace(const std::string& page, const std::filesystem::path& start) {
  const fs::path path(page);
  return (path.is_absolute() || start.empty() ? path : start / path).lexically_normal();
}

bool MatchesGlob(const std::string& glob, const std::string& name) {
  return ::fnmatch(glob.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
}

PageWalk FindPages(const std::vector<std::string>& paths, const PageFilter& filter) {
  PageWalk walk;
  Walker walker(filter, walk);
  for (const std::string& path : paths) {
    std::error_code ignored;
    if (fs::is_directory(path, ignored))
      walker.Folder(path);
    else
      walk.pages.push_back(path);
  }
  // A page reached twice (a folder and a page in it) is cleaned once: a
  // second time would only find its backup taken.
  // The starting folder is asked once, not once a page.
  const fs::path start = CurrentFolder();
  std::set<fs::path> seen;
  std::erase_if(walk.pages, [&](const std::string& page) {
    return !seen.insert(PagePlace(page, start)).second;
  });
  return walk;
}

}  // namespace pelloran
