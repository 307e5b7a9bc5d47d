#pragma once

// Which pages a call of the batch command takes from the paths it is given.

#include <filesystem>
#include <string>
#include <vector>

namespace pelloran {

struct PageFilter {
  // Globs a file's name must match (any one, case-insensitive); empty: the
  // default "*.htm", "*.html", "*.shtml", "*.xhtml".
  std::vector<std::string> include;
  std::vector<std::string> exclude;  // globs that rule a name out
  bool recursive = false;            // subfolders too (never through a symbolic link)
  // For a restore: a page counts when its "~" backup is there, whether or
  // not the page itself still is.
  bool by_backup = false;
};

// Something said about a path while looking for pages.
struct WalkNote {
  std::string path;
  std::string text;
  bool failure = false;  // a folder that could not be read
};

struct PageWalk {
  std::vector<std::string> pages;  // paths, each built from the path given
  std::vector<WalkNote> notes;
};

// The pages of `paths`, in order. A path that is not a folder is taken as it
// is, whatever its name. A folder gives the pages directly in it in byte
// order of their names, then (recursively) those of its subfolders, in name
// order. "~" backups and "PL!__" working copies are never taken from a folder.
// A page reached twice is taken the first time only.
PageWalk FindPages(const std::vector<std::string>& paths, const PageFilter& filter);

// Where a page is, as the walk tells pages apart: its path made absolute
// against `start` (the folder the command started in) and normalised. A
// relative path stays relative when `start` is empty (that folder gone).
std::filesystem::path PagePlace(const std::string& page, const std::filesystem::path& start);

// Does the filter's patterns take a file of this name in a folder (its
// include globs, or the default ones, and none of its exclude globs)? The
// "~" and "PL!__" names are not ruled out here.
bool TakesName(const PageFilter& filter, const std::string& name);

// Does `name` match the glob, ignoring the case of letters?
bool MatchesGlob(const std::string& glob, const std::string& name);

}  // namespace pelloran
