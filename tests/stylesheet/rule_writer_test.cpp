#include "stylesheet/rule_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace pelloran::testing {
namespace {

class RuleWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BindFileName(file_, dir_ / "out");
    CreateByteFile(file_);
  }
  std::string Written() {
    CloseCharFile(file_);
    return ReadFile(dir_ / "out");
  }

  TempDir dir_;
  ByteFile file_;
};

TEST_F(RuleWriterTest, WritesTheFixedLayoutPassingOverFreeSlots) {
  const std::vector<std::string> selectors = {"h1", "", "p.x"};
  const std::vector<std::string> declarations = {"", "color: red", "", "margin: 0"};
  WriteRule(file_, selectors, declarations);
  WriteRule(file_, {}, declarations);
  EXPECT_EQ(Written(),
            "h1, p.x \r\n{ color: red; margin: 0;}\r\n \r\n{ color: red; margin: 0;}\r\n");
}

TEST_F(RuleWriterTest, HeadAndBlockMakeTheWholeRule) {
  const std::vector<std::string> selectors = {"a"};
  const std::vector<std::string> declarations = {"color: red"};
  WriteRuleHead(file_, selectors);
  WriteRuleBlock(file_, declarations);
  EXPECT_EQ(Written(), "a \r\n{ color: red;}\r\n");
}

}  // namespace
}  // namespace pelloran::testing
