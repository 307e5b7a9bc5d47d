#include "tools/advert_removal.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "charfile/byte_file.h"
#include "charfile/in_out_error.h"
#include "charfile/text_file.h"
#include "cleaner/cleaned_mark.h"
#include "cleaner/page_lock.h"
#include "cleaner/page_messages.h"
#include "cleaner/page_swap.h"
#include "cleaner/scan_operations.h"
#include "interfaces/path_names.h"

namespace pelloran {
namespace {

std::optional<std::string> RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return std::nullopt;
  return std::string(resolved);
}

// The relative path a src value names, "/" separated, or nothing when the
// value could reach outside the page's folder.
std::optional<std::string> RelativeScriptPath(std::string_view value) {
  std::string path(value);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (path.empty() || path.front() == '/' || path.find(':') != std::string::npos ||
      path.find('\0') != std::string::npos) {
    return std::nullopt;
  }
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find('/', start), path.size());
    if (path.compare(start, end - start, "..") == 0) return std::nullopt;
    start = end + 1;
  }
  return path;
}

class AdvertRun {
 public:
  AdvertRun(CleanContext& context, Messages& messages, const AdvertTexts& texts, Trash& trash)
      : context_(context),
        in_(context.input),
        out_(context.working_copy),
        messages_(messages),
        trash_(trash),
        start_marker_("<" + texts.start_text),
        end_marker_("<" + texts.end_text) {}

  // Processes one page; false when the input error ended the whole run.
  bool Page(const std::string& path);

 private:
  std::optional<std::string> LeftBeforeScan(const PageFiles& page, const LockedPage& original);
  bool CutAndKeep(const PageFiles& page, const LockedPage& original, PageCommit& commit);
  bool ScanPage(std::string& script_value);
  bool CopyToStartMarker();
  bool SkipToScriptReference();
  std::optional<std::string> ReadQuotedValue();
  bool SkipToEndMarker();
  void CopyRest();

  CleanContext& context_;
  TextFile& in_;
  ByteFile& out_;
  Messages& messages_;
  Trash& trash_;
  const std::string start_marker_;
  const std::string end_marker_;
  std::string window_;                // the scans' token, reused from token to token
  std::optional<FolderWays> folder_;  // asked at the first page
};

// Copies the page up to the start marker, which itself is not written.
bool AdvertRun::CopyToStartMarker() {
  for (;;) {
    CopyToMarker(in_, out_, start_marker_.size(), '<', '<', window_);
    if (AtEnd(in_)) return false;
    if (window_ == start_marker_) return true;
    WritePrefix(out_, start_marker_.size(), window_);
  }
}

// Finds the script reference: "src" or "SRC" only, no other mix of case, and
// only where an attribute name can stand (not inside another value).
bool AdvertRun::SkipToScriptReference() {
  NamePosition position;
  for (;;) {
    const bool stands = FindAttribute(in_, 3, 's', 'S', window_, position);
    if (AtEnd(in_)) return false;
    if (window_ == ">") {
      position = NamePosition();  // the next tag starts afresh
    } else if (stands && (window_ == "src" || window_ == "SRC")) {
      return true;
    }
  }
}

// The value between the next quote (either kind) and the following quote,
// or up to and including a ">"; nothing when the page ends first.
std::optional<std::string> AdvertRun::ReadQuotedValue() {
  for (;;) {
    const int c = NextChar(in_);
    if (c == kEndMark) return std::nullopt;
    if (c == '"' || c == '\'') break;
  }
  std::string value;
  for (;;) {
    const int c = NextChar(in_);
    if (c == kEndMark) return std::nullopt;
    if (c == '"' || c == '\'') return value;
    value.push_back(static_cast<char>(c));
    if (c == '>') return value;
  }
}

bool AdvertRun::SkipToEndMarker() {
  for (;;) {
    FindAttribute(in_, end_marker_.size(), '<', '<', window_);
    if (AtEnd(in_)) return false;
    if (window_ == end_marker_) return true;
  }
}

void AdvertRun::CopyRest() {
  while (!AtEnd(in_)) PutByte(out_, static_cast<unsigned char>(NextChar(in_)));
}

// Steps from the start marker to the end of the page; false on the input error.
bool AdvertRun::ScanPage(std::string& script_value) {
  if (!CopyToStartMarker() || !SkipToScriptReference()) return false;
  std::optional<std::string> value = ReadQuotedValue();
  if (!value || !SkipToEndMarker()) return false;
  NextChar(in_);  // the ">" that closes the end comment
  CopyRest();
  script_value = std::move(*value);
  return true;
}

// Why the opened page is left before its scan, as the clean would leave it.
std::optional<std::string> AdvertRun::LeftBeforeScan(const PageFiles& page,
                                                     const LockedPage& original) {
  if (original.error() == ELOOP) return SymbolicLinkMessage(page.name);
  if (original.error() != 0)
    throw EInOutError::FromErrno(original.error()).About(page.Path(), FileStep::kOpen);
  if (original.busy()) return PageBusyMessage(page.name);
  if (!S_ISREG(original.status().st_mode))
    throw EInOutError::FromErrno(EISDIR).About(page.Path(), FileStep::kOpen);
  return std::nullopt;
}

// The page is read through its one descriptor into a working copy that one
// commit keeps, marked, in its place or drops: the clean's own way.
bool AdvertRun::Page(const std::string& path) {
  const PageFiles page = PageFiles::At(path);
  // Every page of the run is in the list's one folder.
  if (!folder_) folder_ = FolderWays::Learn(page.folder);
  if (const auto too_long = WorkingCopyNameTooLong(page, folder_->longest_name)) {
    messages_.ShowError(*too_long);
    return true;
  }
  const LockedPage original(path, LockedPage::Lock::kTake);
  if (const auto left = LeftBeforeScan(page, original)) {
    messages_.ShowError(*left);
    return true;
  }
  PageCommit commit(page, original, *folder_);
  const ContextFilesClosed closed(context_);
  return CutAndKeep(page, original, commit);
}

// Reads the opened page into the commit's working copy without its block,
// and keeps that in the page's place; false on the input error.
bool AdvertRun::CutAndKeep(const PageFiles& page, const LockedPage& original, PageCommit& commit) {
  BindFileName(in_, page.Path());
  ReadFromDescriptor(in_, original.fd(), original.status().st_size);
  if (auto busy = commit.MakeWorkingCopy()) {
    messages_.ShowError(busy->message);
    return true;
  }
  BindFileName(out_, page.WorkingCopy());
  WriteToDescriptor(out_, commit.fd());
  PageFingerprint print;
  WatchWrites(out_, [&print](const unsigned char* bytes, size_t size) { print.Add(bytes, size); });
  std::string script_value;
  if (!ScanPage(script_value)) {
    messages_.ShowError(kAdvertInputError);
    return false;
  }
  // Reading stops at a byte 26; keeping the copy then would cut the page short.
  if (in_.StoppedBeforeMoreData()) {
    messages_.ShowError(EndMarkInsideMessage(page.name));
    return true;
  }
  CloseCharFile(out_);
  // Marked, its backup may be restored like a cleaned page's.
  std::optional<PageLeft> not_kept = commit.TakeBackupName();
  if (!not_kept) not_kept = commit.Keep(print);
  if (not_kept) {
    messages_.ShowError(not_kept->message);
    return true;
  }
  // Only now that the cleaned page stands in its place may its script go.
  DeleteScriptFileInside(std::string(FolderWithSeparator(page.Path())), script_value, trash_);
  return true;
}

}  // namespace

bool DeleteScriptFileInside(const std::string& folder, std::string_view value, Trash& trash) {
  const std::optional<std::string> relative = RelativeScriptPath(value);
  if (!relative) return false;
  const std::string candidate = (folder.empty() ? std::string("./") : folder) + *relative;
  struct stat st;
  if (::lstat(candidate.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // A linked folder on the way could still lead outside.
  const std::optional<std::string> root = RealPath(folder.empty() ? "." : folder);
  const std::optional<std::string> parent = RealPath(std::string(FolderWithSeparator(candidate)));
  if (!root || !parent) return false;
  const bool inside = *parent == *root || (parent->size() > root->size() &&
                                           parent->compare(0, root->size(), *root) == 0 &&
                                           ((*root == "/") || (*parent)[root->size()] == '/'));
  return inside && !trash.Discard(candidate);
}

void RemoveAdverts(CleanContext& context, FileList& list, Messages& messages,
                   const AdvertTexts& texts, Trash& trash) {
  const int count = list.Count();
  if (count == 0) {
    messages.ShowInformation(kNoFileChosen);
    return;
  }
  AdvertRun run(context, messages, texts, trash);
  for (int i = 0; i < count; ++i) {
    if (!list.IsSelected(i) || list.IsFolder(i)) continue;
    list.Focus(i);
    if (!run.Page(list.CurrentFile())) return;
  }
  messages.ShowInformation(kAdvertRemoved);
}

}  // namespace pelloran
