#include "cleaner/markup_scanner.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "cleaner/scan_operations.h"
#include "stylesheet/case_fold.h"
#include "tests/support/temp_dir.h"

namespace pelloran {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(ClassifyTagNameTest, NamesMatchInAnyLetterCase) {
  EXPECT_EQ(ClassifyTagName("html"), TagKind::kHtml);
  EXPECT_EQ(ClassifyTagName("HTML"), TagKind::kHtml);
  EXPECT_EQ(ClassifyTagName("Html"), TagKind::kHtml);
  EXPECT_EQ(ClassifyTagName("!--[IF"), TagKind::kConditionalComment);
  EXPECT_EQ(ClassifyTagName("!--[If"), TagKind::kConditionalComment);
  EXPECT_EQ(ClassifyTagName("/Span"), TagKind::kSpanEnd);
  EXPECT_EQ(ClassifyTagName("noscripts"), TagKind::kOther);
  EXPECT_EQ(ClassifyTagName(""), TagKind::kOther);
}

// What an element copy must equal: CopyToMarker windows, each written unless
// it is the marker in any letter case.
std::string CopyByWindows(TextFile& input, ByteFile& output, std::string_view lower) {
  for (;;) {
    const std::string window = CopyToMarker(input, output, lower.size(), lower[0], lower[0]);
    if (EqualIgnoringCase(window, lower)) {
      WritePrefix(output, lower.size(), lower);
      return "found";
    }
    WritePrefix(output, lower.size(), window);
    if (window.size() < lower.size()) return "end";
  }
}

class CopyElementTest : public ::testing::Test {
 protected:
  // Copies `page` both ways; returns {written, rest} for each.
  std::pair<std::string, std::string> Run(const std::string& page, std::string_view lower,
                                          bool by_windows) {
    WriteFile(dir_ / "in", page);
    TextFile input;
    ByteFile output;
    BindFileName(input, dir_ / "in");
    OpenTextForReading(input);
    BindFileName(output, dir_ / "out");
    CreateByteFile(output);
    OpenByteFile(output);
    std::string found;
    if (by_windows) {
      found = CopyByWindows(input, output, lower);
    } else {
      MarkupScanner scan(input, output);
      found = scan.CopyElement(lower) ? "found" : "end";
    }
    std::string rest;
    for (int c; (c = NextChar(input)) != kEndMark;) rest.push_back(static_cast<char>(c));
    CloseCharFile(output);
    return {found + "|" + ReadFile(dir_ / "out"), rest};
  }

  TempDir dir_;
};

TEST_F(CopyElementTest, EqualsRepeatedCopyToMarkerWindows) {
  struct Marker {
    std::string_view lower, upper, alphabet;
  };
  const Marker markers[] = {{"/script>", "/Script>", "/script>SCRIPT<a "},
                            {"/noscript>", "/NOSCRIPT>", "/noscript>NOSCRIPT<"},
                            {"/table>", "/TaBlE>", "/table>TABLE<x"},
                            {"![endif]-->", "![ENDIF]-->", "![endif]->ENDIF<"}};
  std::mt19937 random(11);
  for (const Marker& marker : markers) {
    for (int round = 0; round < 100; ++round) {
      std::string page;
      const size_t size = random() % 60;
      for (size_t i = 0; i < size; ++i) {
        // Now and then a whole marker in one of its forms, else a random character.
        if (random() % 25 == 0) {
          page += random() % 2 ? marker.lower : marker.upper;
        } else {
          page += marker.alphabet[random() % marker.alphabet.size()];
        }
      }
      SCOPED_TRACE(page);
      EXPECT_EQ(Run(page, marker.lower, false), Run(page, marker.lower, true));
    }
  }
}

}  // namespace
}  // namespace pelloran
