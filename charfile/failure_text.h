#pragma once

#include <exception>
#include <string>
#include <system_error>

namespace pelloran {

// What the failure handler shows for a failure.
struct FailureText {
  bool is_apology;   // a conversion failure: only the apology, as plain information
  std::string text;  // UTF-8
};

inline constexpr char kApology[] = "Извините, произошла непредвиденная ошибка.";

// A conversion failure (EConvertError) gives the apology, never its own
// message. A file failure (EInOutError) gives a Russian sentence that names
// the file and the step when the failure carries them, and the cause:
// "Не удалось создать файл «/s/PL!__a.htm»: нет доступа.", "Нет места на
// диске."; one its thrower worded itself keeps those words. Any other
// failure gives its own message. A full stop is appended when the message is
// not empty and its last character sorts after ".".
FailureText DescribeFailure(std::exception_ptr failure);

// The text of the failure being handled (inside a catch block).
inline std::string CurrentFailureText() { return DescribeFailure(std::current_exception()).text; }

// Why a file step failed, in Russian, as the messages that name a file say it.
std::string ReasonInRussian(std::error_code failure);

}  // namespace pelloran
