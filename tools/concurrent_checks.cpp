#include "tools/concurrent_checks.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "tools/curl_request.h"

namespace pelloran {
namespace {

using Clock = std::chrono::steady_clock;

struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};

// The checks of one run: which wait, which are in flight, which wait to be
// asked again, the answers so far.
class Checks {
 public:
  Checks(std::span<const std::string> urls, const LinkCheckLimits& limits,
         const std::string& ca_file, HostHealth& health)
      : urls_(urls),
        limits_(limits),
        in_all_(std::max(1, limits.in_all)),
        ca_file_(ca_file),
        health_(health),
        requests_(urls.size()),
        host_of_(urls.size()),
        retried_(urls.size()) {
    for (size_t i = 0; i < urls.size(); ++i) {
      host_of_[i] = HostOf(urls[i]);
      hosts_[host_of_[i]].push_back(i);
    }
  }

  // Runs the checks until all are answered, or until libcurl fails as a
  // whole: those left unanswered are then the caller's to ask on the spot.
  // The progress always hears the end of the phase last.
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

  // Transfers still in flight (libcurl failed as a whole) leave the multi
  // handle before either is cleaned up.
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
        auto request = std::make_unique<CurlRequest>(urls_[i], limits_, ca_file_);
        if (!request->ready()) {
          Answer(i, MakeLinkOutcome(LinkVerdict::kBroken, "libcurl could not make the request",
                                    urls_[i]));
          continue;
        }
        if (curl_multi_add_handle(multi_.get(), request->easy()) != CURLM_OK) return false;
        index_of_[request->easy()] = i;
        requests_[i] = std::move(request);
        ++in_flight_[name];
      }
    }
    return true;
  }

  // Answers every check whose transfer has ended, or has it asked again
  // later, and lets its transfer go.
  void TakeFinished() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_.get(), &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      const CURLcode result = message->data.result;
      const size_t i = index_of_.at(message->easy_handle);
      LinkOutcome outcome = requests_[i]->Outcome(result);
      const long wait = retried_[i] ? -1 : requests_[i]->RetryWaitSeconds(outcome, limits_);
      Release(i);
      health_.Note(host_of_[i], result, outcome.status);
      if (wait >= 0) {
        retried_[i] = true;
        retries_.emplace(Clock::now() + std::chrono::seconds(wait), i);
      } else {
        Answer(i, std::move(outcome));
      }
      if (health_.GivenUp(host_of_[i])) GiveUp(host_of_[i]);
    }
  }

  // Checks whose wait is over go first in their host's queue.
  void TakeDueRetries() {
    const auto now = Clock::now();
    while (!retries_.empty() && retries_.begin()->first <= now) {
      const size_t i = retries_.begin()->second;
      retries_.erase(retries_.begin());
      hosts_[host_of_[i]].push_front(i);
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
      if (host_of_[i] != host) {
        ++it;
        continue;
      }
      it = retries_.erase(it);
      Answer(i, HostHealth::GivenUpOutcome(urls_[i]));
    }
    std::vector<size_t> in_flight;
    for (const auto& [easy, i] : index_of_) {
      if (host_of_[i] == host) in_flight.push_back(i);
    }
    for (const size_t i : in_flight) {
      Release(i);
      Answer(i, HostHealth::GivenUpOutcome(urls_[i]));
    }
  }

  // The transfer of check i leaves the multi handle and is cleaned up.
  void Release(size_t i) {
    CURL* easy = requests_[i]->easy();
    curl_multi_remove_handle(multi_.get(), easy);
    index_of_.erase(easy);
    requests_[i].reset();
    --in_flight_[host_of_[i]];
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
  // Declared before the requests so that it is cleaned up after them.
  std::unique_ptr<CURLM, MultiDeleter> multi_;
  std::vector<std::unique_ptr<CurlRequest>> requests_;
  std::vector<std::string> host_of_;
  std::vector<bool> retried_;
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
