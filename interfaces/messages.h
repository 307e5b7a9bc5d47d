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

  // An information message that also offers a check box with the text
  // `offer`; answers whether the user ticked it. Where nobody can tick, the
  // text is shown plainly and the answer is no.
  virtual bool ShowInformationWithOffer(std::string_view text, std::string_view offer) {
    (void)offer;
    ShowInformation(text);
    return false;
  }

  // A yes-or-no question. Where nobody can answer, the answer is no, so
  // nothing that needs a yes happens unasked.
  virtual bool Confirm(std::string_view question) {
    (void)question;
    return false;
  }
};

}  // namespace pelloran
