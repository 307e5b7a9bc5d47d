#pragma once

// Runs FilterStyleBlock over real files, the way the tag filter hands it a
// style element, and reports what it wrote and where it left the input.

#include <string>
#include <string_view>

#include "charfile/byte_file.h"
#include "charfile/char_file.h"
#include "charfile/text_file.h"
#include "interfaces/clean_context.h"
#include "stylesheet/filter_style_block.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

namespace pelloran::testing {

struct FilterResult {
  std::string written;  // what the filter wrote
  std::string rest;     // the input it left unread
};

class StyleFilterHarness {
 public:
  explicit StyleFilterHarness(TestOptions options = {}) : options_(options) {}

  TestOptions& options() { return options_; }
  TestGauge& gauge() { return gauge_; }

  // `style_text` is what follows "<style" and the name's terminator.
  // With `tag` kAttributesFollow it begins with the tag's attributes.
  FilterResult Run(std::string_view style_text, StyleTag tag = StyleTag::kClosed) {
    CleanContext context(options_, gauge_, link_check_);
    OpenFiles(context, style_text);
    FilterStyleBlock(context, tag);
    FilterResult result;
    for (int c; (c = NextChar(context.input)) != kEndMark;)
      result.rest.push_back(static_cast<char>(c));
    CloseFiles(context);
    result.written = ReadFile(dir_ / "out");
    return result;
  }

  // A whole page through a stand-in for the tag filter's style case: text is
  // copied, "<style" and its terminator written, the filter run, "</style>"
  // written and the rest of the closing tag dropped.
  std::string CleanPage(std::string_view page) {
    CleanContext context(options_, gauge_, link_check_);
    OpenFiles(context, page);
    CopyPage(context);
    CloseFiles(context);
    return ReadFile(dir_ / "out");
  }

 private:
  void OpenFiles(CleanContext& context, std::string_view input) {
    WriteFile(dir_ / "in", input);
    BindFileName(context.input, dir_ / "in");
    OpenTextForReading(context.input);
    BindFileName(context.working_copy, dir_ / "out");
    CreateByteFile(context.working_copy);
  }

  static void CloseFiles(CleanContext& context) {
    CloseCharFile(context.input);
    CloseCharFile(context.working_copy);
  }

  static void CopyPage(CleanContext& context) {
    for (int c; (c = NextChar(context.input)) != kEndMark;) {
      PutByte(context.working_copy, static_cast<unsigned char>(c));
      if (c != '<' || !StartsStyleTag(context.input)) continue;
      for (int i = 0; i < 5; ++i) NextChar(context.input);
      context.working_copy.PutBytes("style");
      const int terminator = NextChar(context.input);
      PutByte(context.working_copy, static_cast<unsigned char>(terminator));
      FilterStyleBlock(context,
                       terminator == '>' ? StyleTag::kClosed : StyleTag::kAttributesFollow);
      context.working_copy.PutBytes("</style>");
      for (int d = 0; d != kEndMark && d != '>';) d = NextChar(context.input);
    }
  }

  // "style" followed by a space, ">" or CR, after the "<" just copied.
  static bool StartsStyleTag(TextFile& input) {
    for (const char* name : {"style", "STYLE"}) {
      size_t i = 0;
      while (i < 5 && input.Peek(i) == static_cast<unsigned char>(name[i])) ++i;
      const int after = input.Peek(5);
      if (i == 5 && (after == ' ' || after == '>' || after == '\r')) return true;
    }
    return false;
  }

  TempDir dir_;
  TestOptions options_;
  TestGauge gauge_;
  TestLinkCheck link_check_;
};

}  // namespace pelloran::testing
