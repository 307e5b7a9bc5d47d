#include "tools/concurrent_checks.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "tools/curl_request.h"

namespace pelloran {
namespace {

using Clock = std::chrono::steady_clock;

struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};

// Where one check has got: the address of its current step (the address
// itself, or where a redirection sent it), that step's host and transfer.
struct CheckState {
  std::string url;
  std::string host;
  std::unique_ptr<CurlRequest> request;  // while a transfer is in flight
  bool retried = false;
  long redirections = 0;
  std::chrono::milliseconds time_taken{};  // by the steps that have ended
};

// The checks of one run: which wait, which are in flight, which wait to be
// asked again, the answers so far. Every step of a check, a redirection
// followed or a request asked again, is a transfer of its own and waits for
// room at the host it goes to: no host ever has more than its limit in flight.
class Checks {
 public:
  Checks(std::span<const std::string> urls, const LinkCheckLimits& limits,
         const std::string& ca_file, HostHealth& health)
      : urls_(urls),
        limits_(limits),
        in_all_(std::max(1, limits.in_all)),
        ca_file_(ca_file),
        health_(health),
        checks_(urls.size()) {
    for (size_t i = 0; i < urls.size(); ++i) {
      checks_[i].url = urls[i];
      checks_[i].host = HostOf(urls[i]);
      hosts_[checks_[i].host].push_back(i);
    }
  }

  // Runs the checks until all are answered, until the progress asks to stop
  // (the transfers in flight are then dropped at once), or until libcurl
  // fails as a whole: those left unanswered are then the caller's to ask on
  // the spot. The progress always hears the end of the phase last.
  void Run(LinkCheckProgress* progress) {
    InitialiseCurlOnce();
    multi_.reset(curl_multi_init());
    const int total = static_cast<int>(urls_.size());
    bool failed = !multi_ || !StartMore();
    while (!failed && done_ < urls_.size()) {
      int running = 0;
      failed = curl_multi_perform(multi_.get(), &running) != CURLM_OK;
      TakeFinished();
      TakeDueRetries();
      failed = failed || !StartMore();
      if (progress != nullptr && done_ < urls_.size()) {
        progress->ShowLinkProgress(static_cast<int>(done_), total);
        if (progress->StopChecking()) break;
      }
      if (!failed && done_ < urls_.size())
        failed = curl_multi_poll(multi_.get(), nullptr, 0, PollMs(), nullptr) != CURLM_OK;
    }
    if (progress != nullptr) progress->ShowLinkProgress(total, total);
  }

  // Transfers still in flight (stopped, or libcurl failed as a whole) leave
  // the multi handle, which closes their connections, before either is
  // cleaned up.
  ~Checks() {
    for (const auto& [easy, i] : index_of_) curl_multi_remove_handle(multi_.get(), easy);
  }

  std::unordered_map<std::string, LinkOutcome>& answers() { return answers_; }

 private:
  // Starts waiting checks while their host and the whole run have room.
  // False when libcurl refuses to take a check on: a failure of the multi
  // interface, not of the address, which is then left unanswered.
  bool StartMore() {
    for (auto& [name, waiting] : hosts_) {
      if (health_.GivenUp(name)) GiveUp(name);
      const int limit = health_.Limit(name);
      while (!waiting.empty() && in_flight_[name] < limit &&
             static_cast<int>(index_of_.size()) < in_all_) {
        const size_t i = waiting.front();
        waiting.pop_front();
        if (!Start(i)) return false;
      }
    }
    return true;
  }

  // The next step of check i, in the time its check has left.
  bool Start(size_t i) {
    CheckState& check = checks_[i];
    const auto time_left = std::chrono::seconds(limits_.total_seconds) - check.time_taken;
    auto request = std::make_unique<CurlRequest>(check.url, limits_, ca_file_, time_left);
    if (!request->ready()) {
      Answer(i,
             MakeLinkOutcome(LinkVerdict::kBroken, "libcurl could not make the request", urls_[i]));
      return true;
    }
    if (curl_multi_add_handle(multi_.get(), request->easy()) != CURLM_OK) return false;
    index_of_[request->easy()] = i;
    check.request = std::move(request);
    ++in_flight_[check.host];
    return true;
  }

  // Answers every check whose transfer has ended, or sends it on to its next
  // step, and lets its transfer go.
  void TakeFinished() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_.get(), &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      const CURLcode result = message->data.result;
      const size_t i = index_of_.at(message->easy_handle);
      CheckState& check = checks_[i];
      const CurlRequest& request = *check.request;
      LinkOutcome outcome = request.Outcome(result);
      outcome.address = urls_[i];
      const std::optional<std::string> target = request.RedirectTarget(result);
      const long wait = check.retried ? -1 : request.RetryWaitSeconds(outcome, limits_);
      check.time_taken += request.TimeTaken();
      const std::string host = check.host;
      Release(i);
      health_.Note(host, result, outcome.status);
      if (target) {
        Follow(i, *target);
      } else if (wait >= 0) {
        check.retried = true;
        check.time_taken = {};  // asked afresh, with a time limit of its own
        retries_.emplace(Clock::now() + std::chrono::seconds(wait), i);
      } else {
        Answer(i, std::move(outcome));
      }
      if (health_.GivenUp(host)) GiveUp(host);
    }
  }

  // A redirection: the check's next step waits for room at the host it
  // goes to, ahead of that host's other waiting checks.
  void Follow(size_t i, const std::string& target) {
    CheckState& check = checks_[i];
    const auto answer_failure = [&](CURLcode code) {
      Answer(i, MakeLinkOutcome(LinkVerdict::kBroken, curl_easy_strerror(code), urls_[i]));
    };
    if (++check.redirections > limits_.max_redirections)
      return answer_failure(CURLE_TOO_MANY_REDIRECTS);
    if (check.time_taken >= std::chrono::seconds(limits_.total_seconds))
      return answer_failure(CURLE_OPERATION_TIMEDOUT);
    check.url = target;
    check.host = HostOf(target);
    hosts_[check.host].push_front(i);
  }

  // Checks whose wait is over go first in their host's queue.
  void TakeDueRetries() {
    const auto now = Clock::now();
    while (!retries_.empty() && retries_.begin()->first <= now) {
      const size_t i = retries_.begin()->second;
      retries_.erase(retries_.begin());
      hosts_[checks_[i].host].push_front(i);
    }
  }

  // Every check of a given-up host is answered now: those waiting, those
  // waiting to be asked again, and those in flight, which are stopped.
  void GiveUp(const std::string& host) {
    std::deque<size_t>& waiting = hosts_[host];
    for (const size_t i : waiting) Answer(i, HostHealth::GivenUpOutcome(urls_[i]));
    waiting.clear();
    for (auto it = retries_.begin(); it != retries_.end();) {
      const size_t i = it->second;
      if (checks_[i].host != host) {
        ++it;
        continue;
      }
      it = retries_.erase(it);
      Answer(i, HostHealth::GivenUpOutcome(urls_[i]));
    }
    std::vector<size_t> in_flight;
    for (const auto& [easy, i] : index_of_) {
      if (checks_[i].host == host) in_flight.push_back(i);
    }
    for (const size_t i : in_flight) {
      Release(i);
      Answer(i, HostHealth::GivenUpOutcome(urls_[i]));
    }
  }

  // The transfer of check i leaves the multi handle (its connection closes)
  // and is cleaned up; only then does its host have room again.
  void Release(size_t i) {
    CheckState& check = checks_[i];
    CURL* easy = check.request->easy();
    curl_multi_remove_handle(multi_.get(), easy);
    index_of_.erase(easy);
    check.request.reset();
    --in_flight_[check.host];
  }

  void Answer(size_t i, LinkOutcome outcome) {
    answers_[urls_[i]] = std::move(outcome);
    ++done_;
  }

  // Wakes up for the progress, or sooner for a check to ask again.
  int PollMs() const {
    if (retries_.empty()) return kProgressIntervalMs;
    const auto until = std::chrono::duration_cast<std::chrono::milliseconds>(
        retries_.begin()->first - Clock::now());
    return static_cast<int>(std::clamp<int64_t>(until.count(), 0, kProgressIntervalMs));
  }

  std::span<const std::string> urls_;
  const LinkCheckLimits& limits_;
  const int in_all_;  // at least one, or nothing would ever start
  const std::string& ca_file_;
  HostHealth& health_;
  // Declared before the checks so that it is cleaned up after their requests.
  std::unique_ptr<CURLM, MultiDeleter> multi_;
  std::vector<CheckState> checks_;
  std::map<std::string, std::deque<size_t>> hosts_;  // the checks waiting, by host
  std::map<std::string, int> in_flight_;             // by host
  std::map<CURL*, size_t> index_of_;                 // the checks in flight
  std::multimap<Clock::time_point, size_t> retries_;
  std::unordered_map<std::string, LinkOutcome> answers_;
  size_t done_ = 0;
};

}  // namespace

std::unordered_map<std::string, LinkOutcome> CheckConcurrently(std::span<const std::string> urls,
                                                               const LinkCheckLimits& limits,
                                                               const std::string& ca_file,
                                                               HostHealth& hosts,
                                                               LinkCheckProgress* progress) {
  if (urls.empty()) return {};
  Checks checks(urls, limits, ca_file, hosts);
  checks.Run(progress);
  return std::move(checks.answers());
}

}  // namespace pelloran
