#pragma once

// Test stand-ins for the services the windows provide to the engine.

#include <algorithm>
#include <array>
#include <functional>
#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "interfaces/link_check.h"
#include "interfaces/messages.h"
#include "interfaces/options.h"
#include "interfaces/progress_gauge.h"

namespace pelloran::testing {

// Boxes set by the test; all clear unless ticked.
class TestOptions : public Options {
 public:
  TestOptions() = default;
  TestOptions(std::initializer_list<int> ticked) {
    for (int box : ticked) Tick(box);
  }
  bool IsTicked(int box) const override {
    return box >= 0 && box < static_cast<int>(boxes_.size()) && boxes_[box];
  }
  bool IsLinkCheckingOn() const override { return link_checking_; }
  bool IsLocalLinkCheckingOn() const override { return local_link_checking_; }
  bool IsOfficeMarkupDropped() const override { return office_markup_dropped_; }

  void Tick(int box, bool ticked = true) { boxes_.at(box) = ticked; }
  void Clear(int box) { Tick(box, false); }
  void SetLinkChecking(bool on) { link_checking_ = on; }
  void SetLocalLinkChecking(bool on) { local_link_checking_ = on; }
  void SetOfficeMarkupDropped(bool on) { office_markup_dropped_ = on; }

 private:
  std::array<bool, 62> boxes_{};
  bool link_checking_ = false;
  bool local_link_checking_ = false;
  bool office_markup_dropped_ = false;
};

// Remembers every value it was set to.
class TestGauge : public ProgressGauge {
 public:
  void SetProgress(int value) override { Store(value); }
  void AddProgress(int delta) override { Store(value_ + delta); }
  int Progress() const override { return value_; }

  std::vector<int> history;

 private:
  void Store(int value) {
    value_ = std::clamp(value, 0, 100);
    history.push_back(value_);
  }
  int value_ = 0;
};

class TestMessages : public Messages {
 public:
  void ShowInformation(std::string_view text) override { information.emplace_back(text); }
  void ShowError(std::string_view text) override { errors.emplace_back(text); }
  // Recorded as information; the offer is taken at the offer_taken_at-th
  // offer (counting from 1; 0 never).
  bool ShowInformationWithOffer(std::string_view text, std::string_view offer) override {
    information.emplace_back(text);
    offers.emplace_back(offer);
    return static_cast<int>(offers.size()) == offer_taken_at;
  }
  bool Confirm(std::string_view question) override {
    questions.emplace_back(question);
    return confirm_answer;
  }

  std::vector<std::string> information;
  std::vector<std::string> errors;
  std::vector<std::string> offers;
  std::vector<std::string> questions;
  int offer_taken_at = 0;
  bool confirm_answer = true;
};

// Answers from a table; records every address asked about.
class TestLinkCheck : public LinkCheck {
 public:
  bool IsConnected() override { return connected; }
  bool IsUrlAvailable(const std::string& address) override {
    asked.push_back(address);
    auto it = available.find(address);
    return it != available.end() && it->second;
  }

  // Records the values; the test may act while the run waits for them.
  void CheckAhead(std::span<const std::string> values, LinkCheckProgress* progress) override {
    checked_ahead.assign(values.begin(), values.end());
    if (while_checking_ahead) while_checking_ahead(progress);
  }

  bool connected = true;
  std::map<std::string, bool> available;
  std::vector<std::string> asked;
  std::vector<std::string> checked_ahead;
  std::function<void(LinkCheckProgress*)> while_checking_ahead;
};

}  // namespace pelloran::testing
