#pragma once

// What a clean left under a page's name, kept on the page itself (an extended
// attribute holding its length and a hash of its bytes), so that undoing the
// clean can tell the page it made from one edited since, or from a page
// whose "~" file no clean ever made.

#include <cstddef>
#include <cstdint>
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
// nothing is marked.
void MarkCleaned(int fd, const PageFingerprint& print);

// Marks the file at `path` as what a clean made of its page. Where the file
// system keeps no extended attributes, nothing is marked.
void MarkCleaned(const std::string& path);

enum class CleanedState {
  kAsCleaned,  // the page is what the clean made of it
  kChanged,    // edited since, or never cleaned: it has no mark, or another
  kUnknown,    // the file system keeps no marks, or the page cannot be read
};

// Is the file at `path` still what the clean that marked it made?
CleanedState CheckCleaned(const std::string& path);

}  // namespace pelloran
