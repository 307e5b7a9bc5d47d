#pragma once

#include <string_view>

namespace pelloran {

// Every message the program shows goes through here: the windows show a modal
// box titled "Pelloran" with one OK button, the batch command prints a line,
// tests record the text. Texts are UTF-8.
class Messages {
 public:
  virtual ~Messages() = default;
  virtual void ShowInformation(std::string_view text) = 0;
  virtual void ShowError(std::string_view text) = 0;
};

}  // namespace pelloran
