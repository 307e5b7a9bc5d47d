#include "cleaner/cleaned_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "interfaces/path_names.h"

namespace pelloran {
namespace {

constexpr char kRecordHeader[] = "# pelloran: pages as cleaned (length, FNV-1a hash, name)\n";
// A record larger than this is no record of ours, and is not read.
constexpr off_t kLargestRecord = 256 << 20;

std::string RecordPath(const std::string& page) {
  return std::string(FolderWithSeparator(page)) + kCleanedRecordName;
}

std::string EscapedName(std::string_view name) {
  std::string escaped;
  for (const char c : name) {
    if (c == '\\')
      escaped += "\\\\";
    else if (c == '\n')
      escaped += "\\n";
    else
      escaped += c;
  }
  return escaped;
}

// The record's lines, the last one of each name: name -> "length hash".
using RecordLines = std::unordered_map<std::string, std::string>;

RecordLines ParseRecord(std::string_view text) {
  RecordLines lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) break;  // cut short by a failed write
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    const size_t first = line.find(' ');
    const size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
    if (line.starts_with('#') || second == std::string_view::npos) continue;
    std::string name;
    for (size_t i = second + 1; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) {
        name += line[++i] == 'n' ? '\n' : line[i];
      } else {
        name += line[i];
      }
    }
    lines[std::move(name)] = std::string(line.substr(0, second));
  }
  return lines;
}

// The record of one folder as last read, kept while the file stays as it
// was, so that restoring a folder's pages reads its record once.
struct ReadRecord {
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = -1;
  timespec modified{};
  RecordLines lines;

  bool Same(const std::string& other, const struct stat& st) const {
    return path == other && device == st.st_dev && inode == st.st_ino && size == st.st_size &&
           modified.tv_sec == st.st_mtim.tv_sec && modified.tv_nsec == st.st_mtim.tv_nsec;
  }
};

// The "length hash" the record gives the page, if any.
std::optional<std::string> RecordedPrint(const std::string& page) {
  static std::mutex mutex;
  static ReadRecord last;
  const std::string path = RecordPath(page);
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st = {};
  const bool usable = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kLargestRecord;
  std::optional<std::string> text;
  std::lock_guard lock(mutex);
  if (usable && !last.Same(path, st)) {
    text.emplace(static_cast<size_t>(st.st_size), '\0');
    const ssize_t got = ::pread(fd, text->data(), text->size(), 0);
    if (got >= 0) {
      text->resize(static_cast<size_t>(got));
      last = {path, st.st_dev, st.st_ino, st.st_size, st.st_mtim, ParseRecord(*text)};
    }
  }
  ::close(fd);
  if (!usable || !last.Same(path, st)) return std::nullopt;
  const auto found = last.lines.find(std::string(NamePart(page)));
  if (found == last.lines.end()) return std::nullopt;
  return found->second;
}

// Adds the line "<print> <name>" to the page's folder's record.
void AppendToRecord(const std::string& path, const std::string& print) {
  const std::string record = RecordPath(path);
  // Never through a link planted under the record's name, never a FIFO.
  const int fd = ::open(record.c_str(),
                        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    std::string line = st.st_size == 0 ? kRecordHeader : "";
    line += print + " " + EscapedName(NamePart(path)) + "\n";
    // One write, so that lines of runs at once never mix; a record that
    // cannot take it only leaves restore asking.
    [[maybe_unused]] const ssize_t written = ::write(fd, line.data(), line.size());
  }
  ::close(fd);
}

}  // namespace

void RecordCleaned(const std::string& path) {
  // Where the page kept its mark, the mark tells: the folder gets no file.
  if (MarkText(path)) return;
  if (const std::optional<std::string> print = Fingerprint(path)) AppendToRecord(path, *print);
}

void RecordCleaned(const std::string& path, const PageFingerprint& print) {
  AppendToRecord(path, print.Text());
}

CleanedState CheckRecorded(const std::string& path) {
  const std::optional<std::string> recorded = RecordedPrint(path);
  if (!recorded) return CleanedState::kUnknown;
  const std::optional<std::string> print = Fingerprint(path);
  if (!print) return CleanedState::kUnknown;
  return *print == *recorded ? CleanedState::kAsCleaned : CleanedState::kChanged;
}

}  // namespace pelloran
