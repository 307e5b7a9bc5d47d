#pragma once

#include <span>
#include <string>
#include <string_view>

namespace pelloran {

// A link value as the tag filter hands it over, with the one pair of double
// quotes around it (when it has both) taken off.
inline std::string_view WithoutQuotes(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    return value.substr(1, value.size() - 2);
  return value;
}

// What a link check found for one link value.
enum class LinkVerdict {
  kAvailable,   // the address answered 200, 204 or 302, or the in-page target exists
  kBroken,      // a status other than those, or the transfer failed
  kNotChecked,  // nothing could be asked: see the reason
};

struct LinkOutcome {
  LinkVerdict verdict = LinkVerdict::kBroken;
  long status = 0;      // the final HTTP status, 0 when none came
  std::string detail;   // why it was broken (a transfer error) or not checked
  std::string address;  // the address asked or looked up, when there was one
  // Not asked: its host had failed to answer too often already.
  bool host_given_up = false;
};

inline LinkOutcome MakeLinkOutcome(LinkVerdict verdict, std::string detail,
                                   std::string address = {}) {
  LinkOutcome outcome;
  outcome.verdict = verdict;
  outcome.detail = std::move(detail);
  outcome.address = std::move(address);
  return outcome;
}

// Hears how far the checks made ahead of a run have got.
class LinkCheckProgress {
 public:
  virtual ~LinkCheckProgress() = default;
  // `done` of `total` distinct addresses answered. Called again and again
  // while the checks wait, at least every tenth of a second, so that a window
  // can repaint; the last call has done == total.
  virtual void ShowLinkProgress(int done, int total) = 0;
  // Asked after each progress call: yes ends the checks there, and the
  // addresses not yet answered are left to be asked on the spot.
  virtual bool StopChecking() { return false; }
};

// The platform's view of the web, for the link check.
class LinkCheck {
 public:
  virtual ~LinkCheck() = default;
  // Does the machine have a connection to the Internet?
  virtual bool IsConnected() = 0;
  // Does the address answer with a final HTTP status of 200, 204 or 302?
  // `address` is the link value as the page gives it.
  virtual bool IsUrlAvailable(const std::string& address) = 0;
  // The same question with the whole answer. A check that knows no more than
  // yes or no answers available or broken.
  virtual LinkOutcome CheckLink(const std::string& address) {
    LinkOutcome outcome;
    outcome.verdict = IsUrlAvailable(address) ? LinkVerdict::kAvailable : LinkVerdict::kBroken;
    return outcome;
  }

  // Checks these link values before a run asks about them, as many at a time
  // as the check allows, so that IsUrlAvailable then answers them without
  // waiting, with the same answers (CheckLink too). They last until ForgetCheckedAhead.
  // `progress` may be null. A check that cannot work ahead does nothing here.
  virtual void CheckAhead(std::span<const std::string> /*values*/,
                          LinkCheckProgress* /*progress*/) {}
  virtual void ForgetCheckedAhead() {}
};

}  // namespace pelloran
