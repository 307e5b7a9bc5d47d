#pragma once

// What a clean left under a page's name, kept on the page itself (an extended
// attribute holding its length and a hash of its bytes), so that undoing the
// clean can tell the page it made from one edited since, or from a page
// whose "~" file no clean ever made.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace pelloran {

// The length and a hash of a page's bytes, taken as they are written.
class PageFingerprint {
 public:
  void Add(const unsigned char* bytes, size_t size);
  // The mark's text.
  std::string Text() const;

 private:
  uint64_t hash_ = 14695981039346656037ull;
  uint64_t length_ = 0;
};

// The name of the mark, which copies of a page's attributes leave out.
extern const char kCleanedMarkName[];

// Marks the open file as what a clean made of its page, `print` being its
// bytes' fingerprint. Where the file system keeps no extended attributes,
// nothing is marked: false.
bool MarkCleaned(int fd, const PageFingerprint& print);

// Marks the file at `path` as what a clean made of its page. Where the file
// system keeps no extended attributes, nothing is marked.
void MarkCleaned(const std::string& path);

enum class CleanedState {
  kAsCleaned,  // the page is what the clean made of it
  kChanged,    // edited since: its mark is not its bytes' (or no mark of ours)
  kUnmarked,   // the file system keeps marks, but the page has none
  kUnknown,    // the file system keeps no marks, or the page cannot be read
};

// Is the file at `path` still what the clean that marked it made?
CleanedState CheckCleaned(const std::string& path);

// The file's length and the 64-bit FNV-1a hash of its bytes, as the mark
// holds them ("6128 1469598103934665603"); nullopt when it cannot be read.
std::optional<std::string> Fingerprint(const std::string& path);
// The mark's text when the file has one.
std::optional<std::string> MarkText(const std::string& path);

}  // namespace pelloran
