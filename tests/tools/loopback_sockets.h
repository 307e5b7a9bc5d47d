#pragma once

// Ports on 127.0.0.1 that misbehave, for link checks that must give up.

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <utility>

namespace pelloran::testing {

// A bound socket on 127.0.0.1 with a port of the system's choosing.
inline int BoundLoopbackSocket(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    throw std::runtime_error("cannot bind a loopback socket");
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

// A port on 127.0.0.1 that nothing listens on.
inline int DeadPort() {
  int port = 0;
  ::close(BoundLoopbackSocket(port));
  return port;
}

// Accepts connections into its backlog and never says a word.
class SilentListener {
 public:
  SilentListener() : fd_(BoundLoopbackSocket(port_)) {
    if (::listen(fd_, 16) != 0) throw std::runtime_error("cannot listen");
  }
  ~SilentListener() { ::close(fd_); }
  SilentListener(const SilentListener&) = delete;
  SilentListener& operator=(const SilentListener&) = delete;

  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }

  // Whether a connection waits to be taken: someone is asking.
  bool Asked() const {
    pollfd waiting{fd_, POLLIN, 0};
    return ::poll(&waiting, 1, 0) > 0;
  }

  // Takes every connection made to it so far and answers how many of them
  // the other side has closed (its request read, then the end of the
  // stream), and how many there were.
  std::pair<int, int> ClosedOfAccepted() {
    int closed = 0, accepted = 0;
    for (int connection; Asked() && (connection = ::accept(fd_, nullptr, nullptr)) >= 0;
         ++accepted) {
      const timeval patience{2, 0};  // a connection still open is not waited on for long
      ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
      char buffer[4096];
      ssize_t got;
      while ((got = ::recv(connection, buffer, sizeof buffer, 0)) > 0) {
      }
      closed += got == 0 || errno == ECONNRESET;
      ::close(connection);
    }
    return {closed, accepted};
  }

 private:
  int port_ = 0;
  int fd_;
};

}  // namespace pelloran::testing
