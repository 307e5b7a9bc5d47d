#include "stylesheet/keep_table.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "charfile/char_file.h"
#include "stylesheet/case_fold.h"
#include "stylesheet/keep_search.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

namespace pelloran::testing {
namespace {

using Kept = std::vector<std::pair<int, std::string>>;

// Each row's text looked up with a plain substring search.
Kept KeepByPlainSearch(std::string_view block, const Options& options) {
  Kept kept;
  for (const KeepRow& row : kKeepTable) {
    if (!options.IsTicked(row.box) || block.find(row.test) == std::string_view::npos) continue;
    const size_t start = block.find(row.start);
    size_t end = block.find(';', start);
    if (end == std::string_view::npos) {
      end = block.size();
      if (block[end - 1] == '}') --end;
      while (IsBlank(static_cast<unsigned char>(block[end - 1]))) --end;
    }
    kept.emplace_back(row.box, block.substr(start, end - start));
  }
  return kept;
}

Kept KeepBySearch(const BlockText& text, const Options& options) {
  RuleTable table;
  table.BeginRule();
  KeepDeclarations(text, options, table);
  Kept kept;
  for (const Declaration& d : table.DeclarationsOf(table.rules().back())) {
    kept.emplace_back(d.slot, table.Text(d.text));
  }
  return kept;
}

// Random blocks, all in one file, each read as the reader reads a block.
TEST(KeepTableTest, SinglePassSearchAgreesWithPlainSearch) {
  const std::vector<std::string> pieces = {
      "font",           "font-",     "family", "size",    "color", "background", "-color",
      "-repeat",        "border",    "-left",  "-width",  "-top",  "margin",     "padding",
      "list-style",     "-type",     "width",  "height",  ":",     " ",          ";",
      "\r\n",           "\t",        "red",    "1px",     "Font",  "COLOR",      "text-",
      "align",          "indent",    "<",      "display", "float", "clear",      "line-",
      "letter-spacing", "-position", "-image", "\xC0"};
  std::mt19937 random(11);
  std::vector<std::string> blocks;
  std::string all_blocks;
  for (int round = 0; round < 3000; ++round) {
    std::string& block = blocks.emplace_back();
    for (size_t n = random() % 40; n > 0; --n) block += pieces[random() % pieces.size()];
    block += random() % 2 ? " }" : "}";
    all_blocks += block;
  }
  TempDir dir;
  WriteFile(dir / "blocks", all_blocks);
  TextFile input;
  BindFileName(input, dir / "blocks");
  OpenTextForReading(input);
  TestOptions all;
  for (const KeepRow& row : kKeepTable) all.Tick(row.box);
  BlockText text;
  for (const std::string& block : blocks) {
    ASSERT_EQ(text.ReadThroughBrace(input, [] { return false; }), BlockText::End::kBrace);
    ASSERT_EQ(text.text(), block);
    // Few boxes make the search stop early, many make it run to the end.
    TestOptions some;
    for (size_t n = 1 + random() % 3; n > 0; --n)
      some.Tick(kKeepTable[random() % kKeepTable.size()].box);
    for (const TestOptions* options : {&all, &some}) {
      ASSERT_EQ(KeepBySearch(text, *options), KeepByPlainSearch(block, *options)) << block;
    }
  }
}

TEST(KeepTableTest, BlockTextStopsWhereItIsTold) {
  TempDir dir;
  WriteFile(dir / "block", "color: red <b> </style> x");
  TextFile input;
  BindFileName(input, dir / "block");
  OpenTextForReading(input);
  BlockText text;
  int asked = 0;
  // The first "<" belongs to the text, the second ends it.
  EXPECT_EQ(text.ReadThroughBrace(input, [&] { return ++asked == 2; }), BlockText::End::kStopped);
  EXPECT_EQ(text.text(), "color: red <b> ");
  EXPECT_EQ(text.ReadThroughBrace(input, [] { return false; }), BlockText::End::kEndOfInput);
  EXPECT_EQ(text.text(), "/style> x");
}

TEST(KeepTableTest, EveryPropertyBoxHasItsRow) {
  // The boxes that are no property boxes have no row.
  for (int box : {5, 9, 17, 18, 23, 24, 28, 29}) {
    for (const KeepRow& row : kKeepTable) EXPECT_NE(row.box, box);
  }
  for (size_t i = 1; i < kKeepTable.size(); ++i)
    EXPECT_LT(kKeepTable[i - 1].box, kKeepTable[i].box);
  EXPECT_EQ(kKeepTable.back().box, 61);
}

TEST(CaseFoldTest, FoldsLatinAndCyrillicCapitalsOnly) {
  for (int c = 'A'; c <= 'Z'; ++c) EXPECT_EQ(FoldCase(static_cast<unsigned char>(c)), c + 32);
  for (int c = 0xC0; c <= 0xDF; ++c) EXPECT_EQ(FoldCase(static_cast<unsigned char>(c)), c + 32);
  EXPECT_EQ(FoldCase(0xA8), 0xB8);  // Ё
  EXPECT_EQ(FoldCase(0xAF), 0xBF);  // Ї
  EXPECT_EQ(FoldCase(0xB2), 0xB3);  // І
  for (int c : std::initializer_list<int>{'a', 'z', '0', '-', 0xB8, 0xE0, 0xFF, 0xA0, 0xAB, 0xB5,
                                          0xB9, 0x40, 0x5B}) {
    EXPECT_EQ(FoldCase(static_cast<unsigned char>(c)), c) << c;
  }
  EXPECT_TRUE(EqualIgnoringCase("\xC0\xE1 Color", "\xE0\xC1 cOLOR"));
  EXPECT_FALSE(EqualIgnoringCase("color", "colour"));
  EXPECT_FALSE(EqualIgnoringCase("@", "`"));  // neighbours of the capitals are no letters
  EXPECT_EQ(HashIgnoringCase("\xA8Q"), HashIgnoringCase("\xB8q"));
}

// The word-at-a-time forms read past the end of a text into whatever
// follows it; that must never change their answer.
TEST(CaseFoldTest, PaddedFormsAgreeWithThePlainOnes) {
  const std::string letters = "aAzZ@`[{-: \xC0\xE0\xA8\xB8\xDF\xFF\xA1\xA2";
  std::mt19937 random(5);
  auto random_text = [&](size_t length) {
    std::string text;
    for (size_t i = 0; i < length; ++i) text += letters[random() % letters.size()];
    return text;
  };
  for (int round = 0; round < 2000; ++round) {
    const std::string a = random_text(random() % 30);
    // Often a case variant of a, else some other text.
    std::string b = a;
    if (random() % 3 == 0) {
      b = random_text(a.size() + random() % 2);
    } else {
      for (char& c : b)
        c = static_cast<char>(random() % 2 ? FoldCase(static_cast<unsigned char>(c)) : c);
    }
    // Each followed by eight bytes of noise.
    const std::string padded_a = a + random_text(8);
    const std::string padded_b = b + random_text(8);
    const std::string_view view_a(padded_a.data(), a.size());
    const std::string_view view_b(padded_b.data(), b.size());
    ASSERT_EQ(HashPaddedIgnoringCase(view_a), HashIgnoringCase(a)) << a;
    ASSERT_EQ(EqualPaddedIgnoringCase(view_a, view_b), EqualIgnoringCase(a, b)) << a << " / " << b;
    if (EqualIgnoringCase(a, b)) {
      ASSERT_EQ(HashIgnoringCase(a), HashIgnoringCase(b)) << a << " / " << b;
    }
  }
}

}  // namespace
}  // namespace pelloran::testing
