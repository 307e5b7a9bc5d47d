#include "charfile/failure_text.h"

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

}  // namespace pelloran
