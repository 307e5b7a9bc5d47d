#include "stylesheet/keep_table.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "stylesheet/case_fold.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

namespace pelloran::testing {
namespace {

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
