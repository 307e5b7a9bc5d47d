#include "tools/page_diff.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "charfile/char_file.h"
#include "charfile/whole_file.h"
#include "tools/edit_script.h"
#include "tools/file_lines.h"
#include "tools/line_numbers.h"
#include "tools/line_reader.h"

namespace pelloran {
namespace {

// The lines of a text in memory.
class TextLines : public LineReader {
 public:
  explicit TextLines(std::string_view text) : text_(text) {}
  bool AtEnd() override { return offset_ == text_.size(); }

 protected:
  std::string_view ReadLine() override {
    const size_t lf = text_.find('\n', offset_);
    const size_t end = lf == std::string_view::npos ? text_.size() : lf + 1;
    const std::string_view line = text_.substr(offset_, end - offset_);
    offset_ = end;
    return line;
  }
  void Rewind() override { offset_ = 0; }

 private:
  std::string_view text_;
  size_t offset_ = 0;
};

size_t CountLines(std::string_view text) {
  const auto ends = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  return ends + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

// About how much of the diff is handed on at a time.
constexpr size_t kPieceSize = 1 << 16;

// A run of changed lines between common ones: at line `a` of the old text
// `deleted` lines go, and at line `b` of the new one `inserted` lines come.
struct Change {
  size_t a = 0, b = 0, deleted = 0, inserted = 0;
  size_t a_end() const { return a + deleted; }
  size_t b_end() const { return b + inserted; }
  bool empty() const { return deleted == 0 && inserted == 0; }
};

// Which lines of the two texts change. The equal lines at both ends are
// taken as they are; the rest is compared as line numbers. The new text is
// read once, in order: only the old one is held for the numbers' lines.
class PageChanges {
 public:
  PageChanges(std::string_view before, LineReader& after) {
    TextLines a(before);
    LineNumbers numbers;
    std::vector<uint32_t> middle_a, middle_b;
    std::string first_b;  // the first line that differs, until the old text is numbered
    bool differ = false;
    while (!a.AtEnd() && !after.AtEnd()) {
      const std::string_view line = a.Next(), line_b = after.Next();
      if (line != line_b) {
        middle_a.reserve(CountLines(before) - prefix_);
        middle_a.push_back(numbers.Add(line));
        first_b.assign(line_b);
        differ = true;
        break;
      }
      ++prefix_;
    }
    while (!a.AtEnd()) middle_a.push_back(numbers.Add(a.Next()));
    // Lines of the new text that are none of the old get kNoMatch.
    if (differ) middle_b.push_back(numbers.Find(first_b, kNoMatch));
    while (!after.AtEnd()) middle_b.push_back(numbers.Find(after.Next(), kNoMatch));
    lines_a_ = prefix_ + middle_a.size();
    lines_b_ = prefix_ + middle_b.size();
    TrimEnd(middle_a, middle_b);
    script_ = FindEditScript(std::move(middle_a), std::move(middle_b));
  }

  // The first change at or after line `a` of the old text and `b` of the
  // new, which stand on the same common run; empty at the end.
  Change NextChange(size_t a, size_t b) const {
    while (a < lines_a_ && b < lines_b_ && !Deleted(a) && !Inserted(b)) ++a, ++b;
    Change change{a, b, 0, 0};
    while (change.a_end() < lines_a_ && Deleted(change.a_end())) ++change.deleted;
    while (change.b_end() < lines_b_ && Inserted(change.b_end())) ++change.inserted;
    return change;
  }

 private:
  // Takes the equal lines at the end out of the comparison. Equal numbers
  // are equal lines: the old text's are never kNoMatch.
  static void TrimEnd(std::vector<uint32_t>& a, std::vector<uint32_t>& b) {
    size_t suffix = 0;
    while (suffix < a.size() && suffix < b.size() &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix]) {
      ++suffix;
    }
    a.resize(a.size() - suffix);
    b.resize(b.size() - suffix);
    // Numbers go by first sight, so those of the old text's end alone come
    // last: a new line that matches only them matches nothing left.
    const uint32_t numbered = a.empty() ? 0 : *std::max_element(a.begin(), a.end()) + 1;
    for (uint32_t& number : b) {
      if (number != kNoMatch && number >= numbered) number = kNoMatch;
    }
  }

  bool Deleted(size_t a) const {
    return a >= prefix_ && a - prefix_ < script_.deleted.size() && script_.deleted[a - prefix_];
  }
  bool Inserted(size_t b) const {
    return b >= prefix_ && b - prefix_ < script_.inserted.size() && script_.inserted[b - prefix_];
  }

  size_t lines_a_ = 0, lines_b_ = 0;
  size_t prefix_ = 0;
  EditScript script_;
};

// One side of a hunk header, "start,count" as diff writes it: the count left
// out when it is 1, and the line before named when it is 0.
std::string Range(size_t first, size_t count) {
  if (count == 1) return std::to_string(first + 1);
  return std::to_string(count == 0 ? first : first + 1) + "," + std::to_string(count);
}

void PutLine(std::string& out, char mark, std::string_view line) {
  out += mark;
  out += line;
  if (line.empty() || line.back() != '\n') out += "\n\\ No newline at end of file\n";
}

// Writes the hunks in order, each with `context` common lines around its
// changes; changes at most 2 * context lines apart share a hunk.
class HunkWriter {
 public:
  HunkWriter(std::string_view before, LineReader& after, const DiffSink& put, size_t context)
      : changes_(before, after), a_(before), b_(after), put_(put), context_(context) {}

  // The two header lines go first, once the texts are found to differ.
  void Run(const std::string& header) {
    b_.Restart();
    Change first = changes_.NextChange(0, 0);
    if (!first.empty()) put_(header);
    while (!first.empty()) {
      Change last = first, next;
      for (;;) {
        next = changes_.NextChange(last.a_end(), last.b_end());
        if (next.empty() || next.a - last.a_end() > 2 * context_) break;
        last = next;
      }
      WriteHunk(first, last, std::min(context_, next.a - last.a_end()));
      first = next;
    }
    b_.CheckUnchanged();
  }

 private:
  void WriteHunk(const Change& first, const Change& last, size_t after) {
    const size_t before = std::min(context_, first.a);
    const size_t begin_a = first.a - before, begin_b = first.b - before;
    out_ = "@@ -" + Range(begin_a, last.a_end() + after - begin_a) + " +" +
           Range(begin_b, last.b_end() + after - begin_b) + " @@\n";
    a_.SkipTo(begin_a);
    b_.SkipTo(begin_b);
    for (Change change = first;; change = changes_.NextChange(change.a_end(), change.b_end())) {
      PutCommon(change.a);
      while (a_.line() < change.a_end()) Put('-', a_.Next());
      while (b_.line() < change.b_end()) Put('+', b_.Next());
      if (change.a == last.a) break;
    }
    PutCommon(last.a_end() + after);
    if (!out_.empty()) put_(out_);
  }

  // Common lines up to line `end` of the old text, written from the old.
  void PutCommon(size_t end) {
    while (a_.line() < end) {
      Put(' ', a_.Next());
      b_.Next();
    }
  }

  // A hunk may span the page: it goes out in pieces of whole lines.
  void Put(char mark, std::string_view line) {
    PutLine(out_, mark, line);
    if (out_.size() >= kPieceSize) {
      put_(out_);
      out_.clear();
    }
  }

  PageChanges changes_;
  TextLines a_;
  LineReader& b_;
  const DiffSink& put_;
  size_t context_;
  std::string out_;
};

void WriteDiff(std::string_view before, LineReader& after, std::string_view old_label,
               std::string_view new_label, const DiffSink& put, int context_lines) {
  std::string header;
  header.append("--- ").append(old_label).append("\n");
  header.append("+++ ").append(new_label).append("\n");
  HunkWriter(before, after, put, static_cast<size_t>(std::max(context_lines, 0))).Run(header);
}

}  // namespace

void WriteUnifiedDiff(std::string_view before, std::string_view after, std::string_view old_label,
                      std::string_view new_label, const DiffSink& put, int context_lines) {
  if (before == after) return;
  TextLines lines(after);
  WriteDiff(before, lines, old_label, new_label, put, context_lines);
}

void WriteUnifiedDiffOfFiles(const std::string& before_path, const std::string& after_path,
                             std::string_view old_label, std::string_view new_label,
                             const DiffSink& put, int context_lines) {
  const std::string before = ReadWholeFile(before_path);
  FileLines after(after_path);
  WriteDiff(before, after, old_label, new_label, put, context_lines);
}

std::string UnifiedDiff(std::string_view before, std::string_view after, std::string_view old_label,
                        std::string_view new_label, int context_lines) {
  std::string out;
  WriteUnifiedDiff(
      before, after, old_label, new_label, [&out](std::string_view piece) { out += piece; },
      context_lines);
  return out;
}

}  // namespace pelloran
