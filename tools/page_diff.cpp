#include "tools/page_diff.h"

#include <algorithm>
#include <cstdint>
#include <dtl/dtl.hpp>
#include <unordered_map>
#include <vector>

namespace pelloran {
namespace {

// Lines split at LF, each with its LF; the last one without, when the text
// does not end in one.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t lf = text.find('\n', start);
    const size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

enum class Edit : int8_t { kCommon, kDelete, kAdd };

// The shortest edit script from `a` to `b`, deletions before additions. The
// equal lines at both ends are taken as they are, and the rest compared as
// numbers (equal lines get equal numbers), which keeps the diff quick on
// pages of many megabytes.
std::vector<Edit> EditScript(const std::vector<std::string_view>& a,
                             const std::vector<std::string_view>& b) {
  size_t prefix = 0;
  while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix]) ++prefix;
  size_t suffix = 0;
  while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
         a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
    ++suffix;
  std::unordered_map<std::string_view, uint32_t> numbers;
  auto numbered = [&](const std::vector<std::string_view>& lines) {
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

std::string UnifiedDiff(std::string_view before, std::string_view after, std::string_view old_label,
                        std::string_view new_label, int context_lines) {
  if (before == after) return {};
  const std::vector<std::string_view> a = Lines(before);
  const std::vector<std::string_view> b = Lines(after);
  const std::vector<Edit> edits = EditScript(a, b);
  const size_t context = static_cast<size_t>(std::max(context_lines, 0));
  // The line of `a` and of `b` at which each edit stands.
  std::vector<size_t> line_a(edits.size() + 1), line_b(edits.size() + 1);
  for (size_t i = 0; i < edits.size(); ++i) {
    line_a[i + 1] = line_a[i] + (edits[i] != Edit::kAdd ? 1 : 0);
    line_b[i + 1] = line_b[i] + (edits[i] != Edit::kDelete ? 1 : 0);
  }
  std::string out;
  out.append("--- ").append(old_label).append("\n");
  out.append("+++ ").append(new_label).append("\n");
  for (size_t i = 0; i < edits.size();) {
    if (edits[i] == Edit::kCommon) {
      ++i;
      continue;
    }
    const size_t begin = i > context ? i - context : 0;
    const size_t end = HunkEnd(edits, i, context);
    out += "@@ -" + Range(line_a[begin], line_a[end] - line_a[begin]) + " +" +
           Range(line_b[begin], line_b[end] - line_b[begin]) + " @@\n";
    for (size_t k = begin; k < end; ++k) {
      if (edits[k] == Edit::kAdd)
        PutLine(out, '+', b[line_b[k]]);
      else
        PutLine(out, edits[k] == Edit::kDelete ? '-' : ' ', a[line_a[k]]);
    }
    i = end;
  }
  return out;
}

}  // namespace pelloran
