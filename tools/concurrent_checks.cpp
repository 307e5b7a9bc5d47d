#include "tools/concurrent_checks.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "tools/curl_request.h"

namespace pelloran {
namespace {

// The host an address names, in small letters; empty when it names none
// (such a check fails at once anyway).
std::string HostOf(const std::string& url) {
  std::string host;
  CURLU* parts = curl_url();
  if (parts == nullptr) return host;
  char* found = nullptr;
  if (curl_url_set(parts, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
      curl_url_get(parts, CURLUPART_HOST, &found, 0) == CURLUE_OK) {
    host = found;
    curl_free(found);
  }
  curl_url_cleanup(parts);
  for (char& c : host) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return host;
}

struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};

// The checks of one run: which wait, which are in flight, the answers so far.
class Checks {
 public:
  Checks(std::span<const std::string> urls, const LinkCheckLimits& limits,
         const std::string& ca_file)
      : urls_(urls),
        limits_(limits),
        per_host_(std::max(1, limits.per_host)),
        in_all_(std::max(1, limits.in_all)),
        ca_file_(ca_file),
        requests_(urls.size()),
        host_of_(urls.size()) {
    for (size_t i = 0; i < urls.size(); ++i) {
      host_of_[i] = HostOf(urls[i]);
      hosts_[host_of_[i]].waiting.push_back(i);
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
      failed = failed || !StartMore();
      if (progress != nullptr && done_ < urls_.size()) {
        progress->ShowLinkProgress(static_cast<int>(done_), total);
        if (progress->StopChecking()) break;
      }
      if (!failed && done_ < urls_.size())
        failed =
            curl_multi_poll(multi_.get(), nullptr, 0, kProgressIntervalMs, nullptr) != CURLM_OK;
    }
    if (progress != nullptr) progress->ShowLinkProgress(total, total);
  }

  // Transfers still in flight (libcurl failed as a whole) leave the multi
  // handle before either is cleaned up.
  ~Checks() {
    for (const auto& [easy, i] : index_of_) curl_multi_remove_handle(multi_.get(), easy);
  }

  std::unordered_map<std::string, bool>& answers() { return answers_; }

 private:
  struct Host {
    std::deque<size_t> waiting;
    int in_flight = 0;
  };

  // Starts waiting checks while their host and the whole run have room.
  // False when libcurl refuses to take a check on: a failure of the multi
  // interface, not of the address, which is then left unanswered.
  bool StartMore() {
    for (auto& [name, host] : hosts_) {
      while (!host.waiting.empty() && host.in_flight < per_host_ &&
             static_cast<int>(index_of_.size()) < in_all_) {
        const size_t i = host.waiting.front();
        host.waiting.pop_front();
        auto request = std::make_unique<CurlRequest>(urls_[i], limits_, ca_file_);
        if (!request->ready()) {
          Answer(i, false);  // as the check alone would
          continue;
        }
        if (curl_multi_add_handle(multi_.get(), request->easy()) != CURLM_OK) return false;
        index_of_[request->easy()] = i;
        requests_[i] = std::move(request);
        ++host.in_flight;
      }
    }
    return true;
  }

  // Answers every check whose transfer has ended and lets it go.
  void TakeFinished() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_.get(), &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      CURL* easy = message->easy_handle;
      const CURLcode result = message->data.result;
      const size_t i = index_of_.at(easy);
      Answer(i, requests_[i]->Answer(result));
      curl_multi_remove_handle(multi_.get(), easy);
      index_of_.erase(easy);
      requests_[i].reset();
      --hosts_[host_of_[i]].in_flight;
    }
  }

  void Answer(size_t i, bool answer) {
    answers_[urls_[i]] = answer;
    ++done_;
  }

  std::span<const std::string> urls_;
  const LinkCheckLimits& limits_;
  const int per_host_;  // at least one, or nothing would ever start
  const int in_all_;
  const std::string& ca_file_;
  // Declared before the requests so that it is cleaned up after them.
  std::unique_ptr<CURLM, MultiDeleter> multi_;
  std::vector<std::unique_ptr<CurlRequest>> requests_;
  std::vector<std::string> host_of_;
  std::map<std::string, Host> hosts_;
  std::map<CURL*, size_t> index_of_;  // the checks in flight
  std::unordered_map<std::string, bool> answers_;
  size_t done_ = 0;
};

}  // namespace

std::unordered_map<std::string, bool> CheckConcurrently(std::span<const std::string> urls,
                                                        const LinkCheckLimits& limits,
                                                        const std::string& ca_file,
                                                        LinkCheckProgress* progress) {
  if (urls.empty()) return {};
  Checks checks(urls, limits, ca_file);
  checks.Run(progress);
  return std::move(checks.answers());
}

}  // namespace pelloran
