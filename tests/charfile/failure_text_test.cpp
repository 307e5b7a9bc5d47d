#include "charfile/failure_text.h"

#include <gtest/gtest.h>

#include <cerrno>
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

// What the window and the batch command show for a file failure: the file,
// what was being done to it and why, in Russian; words a thrower chose stay.
TEST(FailureText, FileFailuresAreRussianSentencesNamingTheFileAndTheCause) {
  const auto from_errno = [](int err, const char* path, FileStep step) {
    return EInOutError::FromErrno(err).About(path, step);
  };
  const struct {
    EInOutError failure;
    std::string text;
  } cases[] = {
      {from_errno(EACCES, "/s/PL!__a.htm", FileStep::kCreate),
       "Не удалось создать файл «/s/PL!__a.htm»: нет доступа."},
      {from_errno(EIO, "/s/a.htm", FileStep::kRead),
       "Не удалось прочитать файл «/s/a.htm»: ошибка ввода-вывода: сбой диска или сетевого "
       "соединения."},
      {from_errno(EINVAL, "/v/a:b.htm", FileStep::kOpen),
       "Не удалось открыть файл «/v/a:b.htm»: имя или действие недопустимы для этой файловой "
       "системы."},
      {from_errno(ENOSPC, "/s", FileStep::kCreateInFolder),
       "Не удалось создать файл в папке «/s»: нет места на диске."},
      {from_errno(EFBIG, "/s/x", FileStep::kWrite),
       "Не удалось записать файл «/s/x»: превышен предельный размер файла."},
      {EInOutError(kFileAccessDenied, kNotARegularFile).About("/s/f", FileStep::kOpen),
       "Не удалось открыть файл «/s/f»: это не обычный файл."},
      {EInOutError(kDiskFull), "Нет места на диске."},
      {EInOutError(kFileNotOpen), "Файл не открыт."},
      {EInOutError::FromErrno(EPROTO), "Непредвиденная системная ошибка № 71 (EPROTO)."},
      {EInOutError(EIO, "файл изменился, пока строился его diff"),
       "файл изменился, пока строился его diff."},
      // The deepest call that knew the file named it.
      {from_errno(EACCES, "/s/a.htm", FileStep::kOpen).About("/s/b.htm", FileStep::kRead),
       "Не удалось открыть файл «/s/a.htm»: нет доступа."},
  };
  for (const auto& c : cases) {
    const FailureText shown = DescribeFailure(std::make_exception_ptr(c.failure));
    EXPECT_FALSE(shown.is_apology);
    EXPECT_EQ(shown.text, c.text);
  }
}

}  // namespace
}  // namespace pelloran
