#include "fuzz/page_checks.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "charfile/byte_file.h"
#include "charfile/char_file.h"
#include "charfile/text_file.h"
#include "cleaner/class_tables.h"
#include "cleaner/run_state.h"
#include "cleaner/style_override_pass.h"
#include "cleaner/tag_filter.h"
#include "interfaces/clean_context.h"
#include "stylesheet/filter_style_block.h"

namespace pelloran::fuzzing {
namespace {

// Boxes from the input's first eight bytes.
class BitOptions : public Options {
 public:
  explicit BitOptions(std::string_view input) {
    for (size_t i = 0; i < 8 && i < input.size(); ++i)
      bits_ |= uint64_t{static_cast<unsigned char>(input[i])} << (8 * i);
    // The window never ticks both overriding boxes at once.
    if (IsTicked(17) && IsTicked(5)) bits_ &= ~(uint64_t{1} << 5);
  }
  bool IsTicked(int box) const override { return box >= 1 && box <= 61 && (bits_ >> box) & 1; }
  bool IsLinkCheckingOn() const override { return bits_ & 1; }
  // A bit above every box's number: the settings window's Office switch.
  bool IsOfficeMarkupDropped() const override { return (bits_ >> 62) & 1; }
  bool StyleOverriding() const { return IsTicked(17) || IsTicked(5); }

 private:
  uint64_t bits_ = 0;
};

// Answers without a network, differently for different addresses.
class ParityLinkCheck : public LinkCheck {
 public:
  bool IsConnected() override { return true; }
  bool IsUrlAvailable(const std::string& address) override { return address.size() % 2 == 0; }
};

std::string Path(std::string_view name) { return ScratchFolder() + "/" + std::string(name); }

void Write(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The part of the input a reader can ever see: up to the first byte 26.
std::string_view Visible(std::string_view input) {
  return input.substr(0, std::min(input.find(char{kEndMark}), input.size()));
}

bool HasEndMark(std::string_view bytes) {
  return bytes.find(char{kEndMark}) != std::string_view::npos;
}

struct Cleaned {
  std::string first;
  std::string second;
  std::string report;
  bool operator==(const Cleaned&) const = default;
};

using Pass = void (*)(CleanContext&, ClassTables&, RunState&);

std::string RunPass(CleanContext& context, ClassTables& tables, RunState& run,
                    const std::string& from, const std::string& to, Pass pass) {
  BindFileName(context.input, from);
  OpenTextForReading(context.input);
  BindFileName(context.working_copy, to);
  CreateByteFile(context.working_copy);
  OpenByteFile(context.working_copy);
  pass(context, tables, run);
  CloseCharFile(context.working_copy);
  CloseCharFile(context.input);
  return Read(to);
}

// Both passes as the clean run chains them, with fresh tables.
Cleaned CleanPage(std::string_view page, BitOptions& options) {
  UnseenGauge gauge;
  ParityLinkCheck link_check;
  CleanContext context(options, gauge, link_check);
  ClassTables tables;
  RunState run;
  Write(Path("page.htm"), page);
  if (options.IsLinkCheckingOn()) {
    BindFileName(context.link_report, Path("report.txt"));
    CreateTextForWriting(context.link_report);
  }
  Cleaned cleaned;
  cleaned.first =
      RunPass(context, tables, run, Path("page.htm"), Path("PL!__page.htm"), &RunTagFilter);
  if (options.IsLinkCheckingOn()) {
    CloseCharFile(context.link_report);
    cleaned.report = Read(Path("report.txt"));
  }
  if (options.StyleOverriding()) {
    cleaned.second = RunPass(context, tables, run, Path("PL!__page.htm"), Path("second.htm"),
                             &RunStyleOverridePass);
  }
  return cleaned;
}

std::string CheckCleaned(const Cleaned& cleaned, std::string_view visible, bool overriding) {
  if (HasEndMark(cleaned.first)) return "the first pass wrote a byte 26";
  if (HasEndMark(cleaned.second)) return "the style override pass wrote a byte 26";
  if (HasEndMark(cleaned.report)) return "the link report holds a byte 26";
  if (visible.find('<') == std::string_view::npos) {
    if (cleaned.first != visible) return "text without tags changed in the first pass";
    if (overriding && cleaned.second != visible)
      return "text without tags changed in the style override pass";
  }
  return {};
}

struct StyleResult {
  std::string written;
  std::string rest;  // what the input still held after the filter returned
  bool operator==(const StyleResult&) const = default;
};

// Where the tag filter would hand over to the stylesheet filter.
size_t StyleStart(std::string_view visible) {
  const size_t lower = visible.find("<style");
  const size_t upper = visible.find("<STYLE");
  const size_t tag = std::min(lower, upper);
  if (tag == std::string_view::npos) return 0;
  return std::min(tag + 7, visible.size());
}

StyleResult FilterFrom(std::string_view input, size_t start, BitOptions& options) {
  UnseenGauge gauge;
  ParityLinkCheck link_check;
  CleanContext context(options, gauge, link_check);
  Write(Path("style.htm"), input);
  BindFileName(context.input, Path("style.htm"));
  OpenTextForReading(context.input);
  for (size_t i = 0; i < start; ++i) NextChar(context.input);
  BindFileName(context.working_copy, Path("PL!__style.htm"));
  CreateByteFile(context.working_copy);
  OpenByteFile(context.working_copy);
  FilterStyleBlock(context, start > 0 && input[start - 1] == '>' ? StyleTag::kClosed
                                                                 : StyleTag::kAttributesFollow);
  StyleResult result;
  for (int c = NextChar(context.input); c != kEndMark; c = NextChar(context.input))
    result.rest.push_back(static_cast<char>(c));
  CloseCharFile(context.working_copy);
  CloseCharFile(context.input);
  result.written = Read(Path("PL!__style.htm"));
  return result;
}

// The filter stops just after a "<", never beyond the first closing style tag,
// or at the end of the input.
std::string CheckStyleResult(const StyleResult& result, std::string_view visible, size_t start) {
  if (HasEndMark(result.written)) return "the stylesheet filter wrote a byte 26";
  if (!visible.ends_with(result.rest)) return "the input's rest is not the end of the page";
  const size_t stop = visible.size() - result.rest.size();
  if (stop < start) return "the stylesheet filter went back";
  if (!result.rest.empty() && (stop == start || visible[stop - 1] != '<'))
    return "the stylesheet filter stopped elsewhere than just after a \"<\"";
  const size_t close = std::min(visible.find("</style", start), visible.find("</STYLE", start));
  if (close != std::string_view::npos && stop > close + 1)
    return "the stylesheet filter read past the closing style tag";
  return {};
}

template <typename Body>
std::string Guarded(Body body) {
  try {
    return body();
  } catch (const EInOutError& failure) {
    return std::string("file failure: ") + failure.what();
  } catch (const std::exception& failure) {
    return std::string("exception: ") + failure.what();
  }
}

}  // namespace

const std::string& ScratchFolder() {
  static const std::string folder = [] {
    const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    if (const char* tmp = std::getenv("PELLORAN_FUZZ_TMP")) base = tmp;
    std::string pattern = std::string(base) + "/pelloran-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    static const std::string made = pattern;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(made, ignored);
    });
    return pattern;
  }();
  return folder;
}

std::string CheckWholePage(std::string_view input) {
  return Guarded([&]() -> std::string {
    BitOptions options(input);
    const std::string_view visible = Visible(input);
    const Cleaned cleaned = CleanPage(input, options);
    std::string failure = CheckCleaned(cleaned, visible, options.StyleOverriding());
    if (!failure.empty() || visible.size() == input.size()) return failure;
    // Nothing after the first byte 26 may count: the page cut there comes out alike.
    if (!(CleanPage(visible, options) == cleaned))
      return "bytes after a byte 26 changed the result";
    return {};
  });
}

std::string CheckStyleBlock(std::string_view input) {
  return Guarded([&]() -> std::string {
    BitOptions options(input);
    const std::string_view visible = Visible(input);
    const size_t start = StyleStart(visible);
    const StyleResult result = FilterFrom(input, start, options);
    std::string failure = CheckStyleResult(result, visible, start);
    if (!failure.empty() || visible.size() == input.size()) return failure;
    if (!(FilterFrom(visible, start, options) == result))
      return "bytes after a byte 26 changed the stylesheet filter's result";
    return {};
  });
}

}  // namespace pelloran::fuzzing
