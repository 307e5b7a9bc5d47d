// Tag names, class values and link values far longer than any real page holds:
// the page comes out exactly as it does for short ones, while the tables, the
// link check and the report keep only their first characters.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cleaner/markup_scanner.h"
#include "cleaner/tag_filter.h"
#include "tests/cleaner/pass_harness.h"

namespace pelloran {
namespace {

using Strings = std::vector<std::string>;

constexpr int kOverride = 17;

// Lengths on both sides of a cap, and one far beyond it.
std::vector<size_t> LengthsAround(size_t cap) {
  return {cap - 2, cap - 1, cap, cap + 1, 3 * cap + 7};
}

// A name or value of `length` characters that differ along it, so that a cut
// in the wrong place shows.
std::string Filler(size_t length, char first) {
  std::string text(length, ' ');
  for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>(first + i % 23);
  return text;
}

class LongConstructTest : public ::testing::Test {
 protected:
  testing::PassHarness harness_;
};

TEST_F(LongConstructTest, LongTagNamesComeThroughBothPassesUnchanged) {
  // Whatever ends the name, the tag is copied as a short unknown tag is.
  const Strings tails = {" id=1>after", ">after", "\rid=1>after", "", " never closed"};
  for (size_t length : LengthsAround(kTagNameCap)) {
    for (const std::string& start : {std::string("x"), std::string("!")}) {
      const std::string name = start + Filler(length - 1, 'a');
      for (const std::string& tail : tails) {
        SCOPED_TRACE(::testing::Message() << "length " << length << ", tail \"" << tail << "\"");
        const std::string page = "text<" + name + tail;
        EXPECT_EQ(harness_.FirstPass(page), page);
        EXPECT_EQ(harness_.OverridePass(page), page);
      }
    }
  }
}

TEST_F(LongConstructTest, SeveralLongTagsInARowEachKeepTheirTail) {
  const std::string a = Filler(kTagNameCap + 5, 'A');
  const std::string b = Filler(2 * kTagNameCap, 'a');
  const std::string page = "<" + a + " x=1>one<" + b + ">two<" + a + "\r>three<p>";
  EXPECT_EQ(harness_.FirstPass(page), page);
  EXPECT_EQ(harness_.OverridePass(page), page);
}

TEST_F(LongConstructTest, LongTagNameWithAClassKeepsTheCutNameInItsKey) {
  harness_.options.Tick(kOverride);
  Strings expected_keys;
  char first = 'b';  // a new start for each length, so no two cut keys coincide
  for (size_t length : LengthsAround(kTagNameCap)) {
    SCOPED_TRACE(length);
    const std::string name = Filler(length, first++);
    EXPECT_EQ(harness_.FirstPass("<" + name + " id=1 class=v title=t>x"),
              "<" + name + " id=1 class=v>x");
    EXPECT_EQ(harness_.FirstPass("<" + name + " id=1>x"), "<" + name + " id=1>x");
    expected_keys.push_back(name.substr(0, std::min(length, kTagNameCap)) + ".v");
  }
  EXPECT_EQ(harness_.tables.used_selectors(), expected_keys);
}

TEST_F(LongConstructTest, LongClassValueIsWrittenWholeAndKeptCut) {
  harness_.options.Tick(kOverride);
  Strings expected_used;
  Strings expected_paragraphs;
  char first = 'c';
  for (size_t length : LengthsAround(kKeptValueCap)) {
    SCOPED_TRACE(length);
    const std::string value = Filler(length, first++);
    // "=" inside the value is left out of both the page and the key.
    const std::string with_equals = value.substr(0, 3) + "=" + value.substr(3);
    EXPECT_EQ(harness_.FirstPass("<div class=" + with_equals + " lang=1>x"),
              "<div class=" + value + ">x");
    EXPECT_EQ(harness_.FirstPass("<P class=" + value + ">y"), "<P class=" + value + ">y");
    EXPECT_EQ(harness_.FirstPass("<td class=" + value), "<td class=" + value);
    const std::string kept = value.substr(0, std::min(length, kKeptValueCap));
    expected_used.push_back("div." + kept);
    expected_used.push_back("td." + kept);
    expected_paragraphs.push_back("p." + kept);
  }
  EXPECT_EQ(harness_.tables.used_selectors(), expected_used);
  Strings paragraphs;
  for (const auto& entry : harness_.tables.paragraph_classes()) paragraphs.push_back(entry.key);
  EXPECT_EQ(paragraphs, expected_paragraphs);
}

TEST_F(LongConstructTest, LongLinkValueIsWrittenWholeAndCheckedAndReportedCut) {
  harness_.options.SetLinkChecking(true);
  std::string expected_report;
  Strings expected_asked;
  char first = 'd';
  for (size_t length : LengthsAround(kKeptValueCap)) {
    SCOPED_TRACE(length);
    std::string value = Filler(length, first++);
    value.replace(0, 9, "http://h/");  // only web addresses are asked
    EXPECT_EQ(harness_.FirstPass("<a id=1 href=\"" + value + "\" target=x>link</a>"),
              "<a id=1 href=\"" + value + "\">link</a>");
    const std::string kept = value.substr(0, std::min(length, kKeptValueCap));
    expected_asked.push_back(kept);
    expected_report += "ext  \"" + kept + "\"\r\n";
    // Never closed: the page keeps all of it; neither checked nor reported.
    EXPECT_EQ(harness_.FirstPass("<a href=\"" + value), "<a href=\"" + value);
  }
  EXPECT_EQ(harness_.link_check.asked, expected_asked);
  EXPECT_EQ(harness_.report(), expected_report);
}

}  // namespace
}  // namespace pelloran
