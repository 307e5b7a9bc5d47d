#include "tools/page_diff.h"

#include <algorithm>
#include <cstdint>
#include <dtl/dtl.hpp>
#include <unordered_map>
#include <vector>

namespace pelloran {
namespace {

// Lines split at LF, each with its LF; the last one without, when the text
// does not end in one. Kept as where each line starts: a quarter of the
// memory of a view per line, on pages of millions of lines.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {
    for (size_t start = 0; start < text.size();) {
      starts_.push_back(start);
      const size_t lf = text.find('\n', start);
      start = lf == std::string_view::npos ? text.size() : lf + 1;
    }
    starts_.push_back(text.size());
  }
  size_t size() const { return starts_.size() - 1; }
  std::string_view operator[](size_t i) const {
    return text_.substr(starts_[i], starts_[i + 1] - starts_[i]);
  }

 private:
  std::string_view text_;
  std::vector<size_t> starts_;
};

// About how much of the diff is handed on at a time.
constexpr size_t kPieceSize = 1 << 16;

enum class Edit : int8_t { kCommon, kDelete, kAdd };

// The shortest edit script from `a` to `b`, deletions before additions. The
// equal lines at both ends are taken as they are, and the rest compared as
// numbers (equal lines get equal numbers), which keeps the diff quick on
// pages of many megabytes.
std::vector<Edit> EditScript(const Lines& a, const Lines& b) {
  size_t prefix = 0;
  while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix]) ++prefix;
  size_t suffix = 0;
  while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
         a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
    ++suffix;
  std::unordered_map<std::string_view, uint32_t> numbers;
  auto numbered = [&](const Lines& lines) {
    std::vector<uint32_t> result;
    result.reserve(lines.size() - prefix - suffix);
    for (size_t i = prefix; i < lines.size() - suffix; ++i) {
      const auto next = static_cast<uint32_t>(numbers.size());
      result.push_back(numbers.emplace(lines[i], next).first->second);
    }
    return result;
  };
  const std::vector<uint32_t> middle_a = numbered(a);
  const std::vector<uint32_t> middle_b = numbered(b);

  std::vector<Edit> edits(prefix, Edit::kCommon);
  if (middle_a.empty() || middle_b.empty()) {
    edits.insert(edits.end(), middle_a.size(), Edit::kDelete);
    edits.insert(edits.end(), middle_b.size(), Edit::kAdd);
  } else {
    dtl::Diff<uint32_t> diff(middle_a, middle_b, /*deletesFirst=*/true);
    diff.compose();
    for (const auto& [line, info] : diff.getSes().getSequence()) {
      edits.push_back(info.type == dtl::SES_COMMON   ? Edit::kCommon
                      : info.type == dtl::SES_DELETE ? Edit::kDelete
                                                     : Edit::kAdd);
    }
  }
  edits.insert(edits.end(), suffix, Edit::kCommon);
  return edits;
}

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

// The end of the hunk whose first change is at `change`: changes at most
// 2 * context lines apart share a hunk, and the hunk takes `context` common
// lines after its last change.
size_t HunkEnd(const std::vector<Edit>& edits, size_t change, size_t context) {
  size_t end = change;
  for (;;) {
    while (end < edits.size() && edits[end] != Edit::kCommon) ++end;
    size_t next = end;
    while (next < edits.size() && edits[next] == Edit::kCommon) ++next;
    if (next == edits.size() || next - end > 2 * context) return std::min(end + context, next);
    end = next;
  }
}

}  // namespace

void WriteUnifiedDiff(std::string_view before, std::string_view after, std::string_view old_label,
                      std::string_view new_label, const DiffSink& put, int context_lines) {
  if (before == after) return;
  std::string out;
  out.append("--- ").append(old_label).append("\n");
  out.append("+++ ").append(new_label).append("\n");
  put(out);
  const Lines a(before);
  const Lines b(after);
  const std::vector<Edit> edits = EditScript(a, b);
  const size_t context = static_cast<size_t>(std::max(context_lines, 0));
  // The edit reached, and the line of `a` and of `b` at which it stands;
  // hunks come in order, so these only move forward.
  size_t at = 0, line_a = 0, line_b = 0;
  const auto move_to = [&](size_t edit) {
    for (; at < edit; ++at) {
      line_a += edits[at] != Edit::kAdd ? 1 : 0;
      line_b += edits[at] != Edit::kDelete ? 1 : 0;
    }
  };
  for (size_t i = 0; i < edits.size();) {
    if (edits[i] == Edit::kCommon) {
      ++i;
      continue;
    }
    const size_t begin = i > context ? i - context : 0;
    const size_t end = HunkEnd(edits, i, context);
    move_to(begin);
    size_t count_a = 0, count_b = 0;
    for (size_t k = begin; k < end; ++k) {
      count_a += edits[k] != Edit::kAdd ? 1 : 0;
      count_b += edits[k] != Edit::kDelete ? 1 : 0;
    }
    out = "@@ -" + Range(line_a, count_a) + " +" + Range(line_b, count_b) + " @@\n";
    for (size_t k = begin; k < end; ++k) {
      if (edits[k] == Edit::kAdd)
        PutLine(out, '+', b[line_b]);
      else
        PutLine(out, edits[k] == Edit::kDelete ? '-' : ' ', a[line_a]);
      move_to(k + 1);
      // A hunk may span the page: it goes out in pieces of whole lines.
      if (out.size() >= kPieceSize) {
        put(out);
        out.clear();
      }
    }
    if (!out.empty()) put(out);
    i = end;
  }
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
