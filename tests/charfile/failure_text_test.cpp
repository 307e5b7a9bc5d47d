#include "charfile/failure_text.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "charfile/in_out_error.h"

namespace pelloran {
namespace {

TEST(FailureText, FullStopOnlyAfterACharacterThatSortsAfterIt) {
  const auto text = [](const std::string& message) {
    return DescribeFailure(std::make_exception_ptr(std::runtime_error(message))).text;
  };
  EXPECT_EQ(text("File not found"), "File not found.");
  EXPECT_EQ(text("I/O error 32"), "I/O error 32.");
  EXPECT_EQ(text("Disk full."), "Disk full.");
  EXPECT_EQ(text("bad value (abc)"), "bad value (abc)");
  EXPECT_EQ(text("Ошибка"), "Ошибка.");
  EXPECT_EQ(text(""), "");
  const FailureText convert = DescribeFailure(std::make_exception_ptr(EConvertError("x")));
  EXPECT_TRUE(convert.is_apology);
  EXPECT_EQ(convert.text, kApology);
  EXPECT_FALSE(DescribeFailure(std::make_exception_ptr(EInOutError(kFileNotFound))).is_apology);
}

}  // namespace
}  // namespace pelloran
