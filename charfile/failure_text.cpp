#include "charfile/failure_text.h"

#include <cerrno>

#include "charfile/in_out_error.h"

namespace pelloran {
namespace {

std::string WithFullStop(std::string message) {
  // Compared as bytes: a UTF-8 letter outside ASCII sorts after "." too.
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  return message;
}

}  // namespace

FailureText DescribeFailure(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const EConvertError&) {
    return {true, kApology};
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
    case EACCES:
    case EPERM:
      return "нет доступа";
    case EROFS:
      return "диск защищён от записи";
    case ENOSPC:
    case EDQUOT:
      return "нет места на диске";
    case ENAMETOOLONG:
      return "слишком длинное имя";
    case EBUSY:
    case ETXTBSY:
      return "файл занят";
    case EISDIR:
      return "это папка";
    default:
      return "ошибка " + std::to_string(failure.value());
  }
}

}  // namespace pelloran
