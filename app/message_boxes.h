#pragma once

#include <QString>

#include "interfaces/messages.h"

namespace pelloran {

// The program's message boxes: modal, captioned with the application title,
// one OK button. Information comes plain, errors with a stop icon; an offer
// is a check box under the text, a question has the buttons "Да" and "Нет".
class MessageBoxes : public Messages {
 public:
  explicit MessageBoxes(QString title) : title_(std::move(title)) {}
  void ShowInformation(std::string_view text) override;
  void ShowError(std::string_view text) override;
  bool ShowInformationWithOffer(std::string_view text, std::string_view offer) override;
  bool Confirm(std::string_view question) override;

 private:
  QString title_;
};

}  // namespace pelloran
