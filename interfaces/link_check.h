#pragma once

#include <string>

namespace pelloran {

// The platform's view of the web, for the link check.
class LinkCheck {
 public:
  virtual ~LinkCheck() = default;
  // Does the machine have a connection to the Internet?
  virtual bool IsConnected() = 0;
  // Does the address answer with a final HTTP status of 200 or 302?
  // `address` is the link value as the page gives it.
  virtual bool IsUrlAvailable(const std::string& address) = 0;
};

}  // namespace pelloran
