#include "cleaner/wide_encoding.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cleaner/page_messages.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_cleaner.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;
using testing::FileExists;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// UTF-16 without a byte-order mark, little- or big-endian.
std::string Utf16(const std::u16string& text, bool little) {
  std::string bytes;
  for (const char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += little ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

// Pages whose text is not Latin, so that few of their bytes are zero: only
// their tags give them away. The last shape has a single tag, and a letter
// (U+4E1A) whose low byte is the end mark 26.
std::vector<std::u16string> NonLatinPages() {
  const std::u16string texts[] = {u"中文网页的内容，这是一个测试页面。业务",
                                  u"Это страница на русском языке, без метки порядка байтов.",
                                  u"Αυτή είναι μια ελληνική σελίδα χωρίς σήμανση."};
  std::vector<std::u16string> pages;
  for (const std::u16string& text : texts) {
    pages.push_back(u"<html><head><title>" + text + u"</title></head><body><p>" + text +
                    u"</p></body></html>");
    pages.push_back(text + text + u"\r\n<p class=x>" + text + u"</p>\r\n");
    pages.push_back(u"<!DOCTYPE html>\n<meta charset=utf-16>\n" + text + u"\n" + text);
    pages.push_back(u"<p>" + text + text + text + text + text + text);
  }
  return pages;
}

// Each page, either byte order, goes to the real cleaner with both passes on:
// left as it is, with the UTF-16 message, and no file beside it.
TEST(WideEncodingTest, Utf16PagesWithoutAMarkAreLeftUntouched) {
  TempDir dir;
  testing::TestCleaner cleaner;
  int pages = 0;
  for (const std::u16string& page : NonLatinPages()) {
    for (const bool little : {true, false}) {
      const std::string name = "p" + std::to_string(++pages) + ".htm";
      const std::string bytes = Utf16(page, little);
      WriteFile(dir / name, bytes);
      const PageResult result = cleaner.Clean(PageFiles::At(dir / name));
      EXPECT_EQ(result.end, PageEnd::kLeftByRule) << name;
      EXPECT_EQ(result.message, WideEncodingMessage(name, "UTF-16"));
      EXPECT_EQ(ReadFile(dir / name), bytes);
      EXPECT_FALSE(FileExists(dir / (name + "~")));
    }
  }
  EXPECT_EQ(pages, 24);
}

// No page of the corpus that is cleaned today may be taken for a wide
// encoding: only the one with a UTF-16 mark is. Its pages include one of
// single bytes with zeros among them, three at each place beside a letter.
TEST(WideEncodingTest, NoOrdinaryPageOfTheCorpusIsTakenForWide) {
  const fs::path folder = fs::path(PELLORAN_CORPUS_DIR) / "pages";
  if (!fs::exists(folder)) GTEST_SKIP() << "no corpus at " << folder;
  int pages = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    // Pages only: .htm, .html, .shtml, .xhtml.
    if (!entry.is_regular_file() ||
        entry.path().extension().string().find("htm") == std::string::npos)
      continue;
    const std::string first = ReadFile(entry.path()).substr(0, kWideEncodingBlock);
    const bool marked = first.starts_with("\xFF\xFE") || first.starts_with("\xFE\xFF");
    ++pages;
    EXPECT_EQ(WideEncodingOf(first) != nullptr, marked) << entry.path();
  }
  EXPECT_GT(pages, 700);
}

}  // namespace
}  // namespace pelloran
