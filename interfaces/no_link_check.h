#pragma once

#include <string>

#include "interfaces/link_check.h"

namespace pelloran {

// A link check for a clean that checks no link (a preview): never connected,
// no address available.
class NoLinkCheck final : public LinkCheck {
 public:
  bool IsConnected() override { return false; }
  bool IsUrlAvailable(const std::string&) override { return false; }
};

}  // namespace pelloran
