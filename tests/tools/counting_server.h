#pragma once

// A real HTTP server on a loopback address for link checks made many at a
// time. It counts the requests for each target (path and query as sent) and
// the most it served at once; every answer waits the given delay first.
// With it, the link check as it was before checks were made ahead.
//   /ok...             200 with a short page
//   /found...          302 to a page of its own under /ok
//   /moved...          301 to a page of its own under /ok
//   /moved-nowhere...  301 without a place to go
//   /busy...           429 without a Retry-After
//   /later...          503 with "Retry-After: 0" the first time, then 200
//   /away...           302 to a page of its own under /ok on the server
//                      SendAwayTo names, another host
//   anything else      404

#include <httplib.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "interfaces/link_check.h"

namespace pelloran::testing {

class CountingServer {
 public:
  explicit CountingServer(std::chrono::milliseconds delay = {},
                          const std::string& address = "127.0.0.1")
      : address_(address), delay_(delay) {
    // Room for more requests at once than any limit under test.
    server_.new_task_queue = [] { return new httplib::ThreadPool(48); };
    server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
      Serve(request, response);
    });
    server_.set_socket_options([this](int socket) {
      httplib::default_socket_options(socket);
      listening_socket_ = socket;
    });
    port_ = server_.bind_to_any_port(address_);
    // The library listens with a queue of 5: connections made many at a time
    // overflow it and wait a second to be tried again. Real servers queue
    // far more; listening again sets the queue's length.
    if (listening_socket_ >= 0) ::listen(listening_socket_, 128);
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~CountingServer() {
    server_.stop();
    thread_.join();
  }
  CountingServer(const CountingServer&) = delete;
  CountingServer& operator=(const CountingServer&) = delete;

  // The address of a target, with or without its scheme.
  std::string Url(const std::string& target) const { return "http://" + HostPort() + target; }
  std::string HostPort() const { return address_ + ":" + std::to_string(port_); }

  int Requests(const std::string& target) const {
    std::lock_guard lock(mutex_);
    const auto found = requests_.find(target);
    return found == requests_.end() ? 0 : found->second;
  }
  std::map<std::string, int> AllRequests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  int TotalRequests() const {
    std::lock_guard lock(mutex_);
    int total = 0;
    for (const auto& [target, count] : requests_) total += count;
    return total;
  }
  int MostAtOnce() const {
    std::lock_guard lock(mutex_);
    return most_at_once_;
  }
  // Where /away... leads; set before the first request.
  void SendAwayTo(const CountingServer& other) { away_ = &other; }

  void Reset() {
    std::lock_guard lock(mutex_);
    requests_.clear();
    most_at_once_ = 0;
  }

 private:
  void Serve(const httplib::Request& request, httplib::Response& response) {
    {
      std::lock_guard lock(mutex_);
      ++requests_[request.target];
      most_at_once_ = std::max(most_at_once_, ++at_once_);
    }
    std::this_thread::sleep_for(delay_);
    const std::string& path = request.path;
    if (path.starts_with("/ok")) {
      response.set_content("<html>fine</html>", "text/html");
    } else if (path.starts_with("/found")) {
      Redirect(response, 302, OwnPage(request.target));
    } else if (path.starts_with("/busy")) {
      response.status = 429;
    } else if (path.starts_with("/later")) {
      if (Requests(request.target) == 1) {
        response.status = 503;
        response.set_header("Retry-After", "0");
      }
    } else if (path.starts_with("/away") && away_ != nullptr) {
      Redirect(response, 302, away_->OwnPage(request.target));
    } else if (path.starts_with("/moved-nowhere")) {
      response.status = 301;
    } else if (path.starts_with("/moved")) {
      Redirect(response, 301, OwnPage(request.target));
    } else {
      response.status = 404;
      response.set_content("not here", "text/plain");
    }
    std::lock_guard lock(mutex_);
    --at_once_;
  }

  // Where a redirection leads: a page no other address leads to, so that
  // every address's requests can be counted apart.
  std::string OwnPage(std::string target) const {
    std::replace(target.begin(), target.end(), '?', '/');
    return Url("/ok" + target);
  }

  static void Redirect(httplib::Response& response, int status, const std::string& location) {
    response.status = status;
    response.set_header("Location", location);
    response.set_content("moved", "text/plain");
  }

  std::string address_;
  std::chrono::milliseconds delay_;
  const CountingServer* away_ = nullptr;
  httplib::Server server_;
  int port_ = -1;
  int listening_socket_ = -1;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::map<std::string, int> requests_;
  int at_once_ = 0;
  int most_at_once_ = 0;
};

// The check as it was before checks were made ahead: every question asked
// on the spot, nothing remembered.
class OneAtATime : public LinkCheck {
 public:
  explicit OneAtATime(LinkCheck& check) : check_(check) {}
  bool IsConnected() override { return true; }
  bool IsUrlAvailable(const std::string& address) override {
    return check_.IsUrlAvailable(address);
  }

 private:
  LinkCheck& check_;
};

}  // namespace pelloran::testing
