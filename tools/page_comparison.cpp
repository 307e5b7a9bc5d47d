#include "tools/page_comparison.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

#include "charfile/failure_text.h"
#include "charfile/whole_file.h"
#include "cleaner/clean_preview.h"
#include "interfaces/path_names.h"
#include "tools/page_diff.h"

namespace pelloran {
namespace {

// The whole file, or the reason it could not be read.
bool ReadWhole(const std::string& path, std::string& text, std::string& failure) {
  try {
    text = ReadWholeFile(path);
    return true;
  } catch (const EInOutError&) {
    // In the failure handler's words, as every other file failure.
    failure = "Файл «" + std::string(NamePart(path)) +
              "» не прочитан: " + DescribeFailure(std::current_exception()).text;
    return false;
  }
}

bool IsFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

PageComparison ComparePage(const Options& options, const ClassTables& tables,
                           const std::string& page_path) {
  PageComparison comparison;
  const std::string backup = BackupName(page_path);
  comparison.from_backup = IsFile(backup);
  if (!ReadWhole(page_path, comparison.after, comparison.message)) return comparison;
  if (comparison.from_backup) {
    if (!ReadWhole(backup, comparison.before, comparison.message)) return comparison;
  } else {
    comparison.before = std::move(comparison.after);
    PagePreview preview = PreviewCleanPage(options, tables, page_path);
    if (!preview.cleaned) {
      comparison.message = preview.message;
      return comparison;
    }
    comparison.after = std::move(preview.text);
  }
  const std::string name(NamePart(page_path));
  comparison.diff = UnifiedDiff(comparison.before, comparison.after, "a/" + name, "b/" + name);
  comparison.ok = true;
  return comparison;
}

}  // namespace pelloran
