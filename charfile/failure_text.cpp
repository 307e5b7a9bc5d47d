#include "charfile/failure_text.h"

#include <string.h>

#include <cerrno>

#include "charfile/in_out_error.h"

namespace pelloran {
namespace {

std::string WithFullStop(std::string message) {
  // Compared as bytes: a UTF-8 letter outside ASCII sorts after "." too.
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  return message;
}

// The text with its first letter a capital, for the small Russian letters
// and ASCII that the causes start with.
std::string Capitalized(std::string text) {
  const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  if (text.size() >= 2 && byte(0) == 0xD0 && byte(1) >= 0xB0 && byte(1) <= 0xBF) {
    text[1] = static_cast<char>(byte(1) - 0x20);  // а..п
  } else if (text.size() >= 2 && byte(0) == 0xD1 && byte(1) >= 0x80 && byte(1) <= 0x8F) {
    text[0] = static_cast<char>(0xD0);  // р..я
    text[1] = static_cast<char>(byte(1) + 0x20);
  } else if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') {
    text[0] = static_cast<char>(text[0] - 0x20);
  }
  return text;
}

const char* StepVerb(FileStep step) {
  switch (step) {
    case FileStep::kOpen:
      return "открыть";
    case FileStep::kCreate:
    case FileStep::kCreateInFolder:
      return "создать";
    case FileStep::kRead:
      return "прочитать";
    case FileStep::kWrite:
      return "записать";
    case FileStep::kClose:
      return "закрыть";
    case FileStep::kUnknown:
      break;
  }
  return nullptr;
}

// The cause of a failure the layer raised itself, without a platform error.
// The other codes only ever come with one (EInOutError::FromErrno).
std::string LayerCause(int code) {
  switch (code) {
    case kFileNotFound:
      return "файл не найден";
    case kFileAccessDenied:  // a byte written to a file not open for writing
    case kFileNotOpenForOutput:
      return "файл не открыт для записи";
    case kFileNotOpenForInput:
      return "файл не открыт для чтения";
    case kFileNotOpen:
      return "файл не открыт";
    case kDiskFull:
      return "нет места на диске";
    default:
      return "ошибка ввода-вывода с кодом " + std::to_string(code);
  }
}

// A file failure as one Russian sentence naming the file, when known, and
// the cause. A failure worded by its thrower (in Russian) keeps its words.
std::string InOutSentence(const EInOutError& failure) {
  std::string cause;
  if (failure.error_number() != 0)
    cause = ReasonInRussian(std::error_code(failure.error_number(), std::generic_category()));
  else if (std::string_view(failure.what()) == kNotARegularFile)
    cause = "это не обычный файл";
  else if (failure.what() == InOutMessage(failure.code()))
    cause = LayerCause(failure.code());
  else
    return WithFullStop(failure.what());
  const char* verb = StepVerb(failure.step());
  if (failure.path().empty() || verb == nullptr) return Capitalized(cause) + ".";
  const char* where = failure.step() == FileStep::kCreateInFolder ? " файл в папке «" : " файл «";
  return std::string("Не удалось ") + verb + where + failure.path() + "»: " + cause + ".";
}

// The cause of a platform error that names no common situation.
std::string UnusualCause(int error_number) {
  const char* name = ::strerrorname_np(error_number);
  return "непредвиденная системная ошибка № " + std::to_string(error_number) +
         (name != nullptr ? std::string(" (") + name + ")" : std::string());
}

}  // namespace

FailureText DescribeFailure(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const EConvertError&) {
    return {true, kApology};
  } catch (const EInOutError& error) {
    return {false, InOutSentence(error)};
  } catch (const std::exception& error) {
    return {false, WithFullStop(error.what())};
  } catch (...) {
    return {false, WithFullStop("Unknown failure")};
  }
}

std::string ReasonInRussian(std::error_code failure) {
  switch (failure.value()) {
    case EEXIST:
      return "файл с таким именем уже существует";
    case ENOENT:
      return "файл не найден";
    case ENOTDIR:
      return "часть пути — не папка";
    case EACCES:
    case EPERM:
      return "нет доступа";
    case EROFS:
      return "диск защищён от записи";
    case ENOSPC:
      return "нет места на диске";
    case EDQUOT:
      return "исчерпана дисковая квота";
    case EFBIG:
      return "превышен предельный размер файла";
    case ENAMETOOLONG:
      return "слишком длинное имя";
    case EBUSY:
    case ETXTBSY:
      return "файл занят";
    case EISDIR:
      return "это папка";
    case EIO:
      return "ошибка ввода-вывода: сбой диска или сетевого соединения";
    case EINVAL:
      return "имя или действие недопустимы для этой файловой системы";
    case EILSEQ:
      return "имя недопустимо для этой файловой системы";
    case EMFILE:
    case ENFILE:
      return "открыто слишком много файлов";
    case ELOOP:
      return "на пути символическая ссылка, по которой идти нельзя";
    case EXDEV:
      return "файлы на разных дисках";
    case ENOTEMPTY:
      return "папка не пуста";
    case ESTALE:
      return "файл на сетевом диске больше недоступен";
    case EAGAIN:
      return "файл временно недоступен";
    case EOPNOTSUPP:
      return "файловая система не поддерживает это действие";
    case EMLINK:
      return "у файла слишком много ссылок";
    case ETIMEDOUT:
      return "истекло время ожидания";
    case EBADF:
      return "файл не открыт";
    default:
      return UnusualCause(failure.value());
  }
}

}  // namespace pelloran
