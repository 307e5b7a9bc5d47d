#include "tools/curl_link_check.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "tools/connection_state.h"

namespace pelloran {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Receives the final response's body; redirection bodies never come here.
// Refusing the first byte ends the transfer: the status is all we want.
size_t StopAtFirstBodyByte(char*, size_t size, size_t count, void* body_started) {
  if (size * count == 0) return 0;
  *static_cast<bool*>(body_started) = true;
  return 0;
}

}  // namespace

std::string AddressToFetch(std::string_view link_value) {
  if (link_value.size() >= 2 && link_value.front() == '"' && link_value.back() == '"')
    link_value = link_value.substr(1, link_value.size() - 2);
  if (StartsWithNoCase(link_value, "http://") || StartsWithNoCase(link_value, "https://"))
    return std::string(link_value);
  return "http://" + std::string(link_value);
}

CurlLinkCheck::CurlLinkCheck(Limits limits, std::string ca_file)
    : limits_(limits), ca_file_(std::move(ca_file)) {}

bool CurlLinkCheck::IsConnected() { return MachineIsConnected(); }

bool CurlLinkCheck::IsUrlAvailable(const std::string& address) {
  InitialiseCurlOnce();
  std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
  if (!easy) return false;
  std::unique_ptr<curl_slist, ListDeleter> headers;
  for (const char* header : {"Cache-Control: no-cache", "Pragma: no-cache"}) {
    curl_slist* longer = curl_slist_append(headers.get(), header);
    if (longer == nullptr) return false;
    headers.release();
    headers.reset(longer);
  }

  const std::string url = AddressToFetch(address);
  bool body_started = false;
  CURL* e = easy.get();
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_USERAGENT, "InetURL:/1.0");
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, limits_.max_redirections);
  curl_easy_setopt(e, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, limits_.connect_seconds);
  curl_easy_setopt(e, CURLOPT_TIMEOUT, limits_.total_seconds);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, StopAtFirstBodyByte);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &body_started);
  if (!ca_file_.empty()) curl_easy_setopt(e, CURLOPT_CAINFO, ca_file_.c_str());

  const CURLcode result = curl_easy_perform(e);
  const bool reached_server = result == CURLE_OK || (result == CURLE_WRITE_ERROR && body_started);
  if (!reached_server) return false;
  long status = 0;
  if (curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) return false;
  return status == 200 || status == 302;
}

}  // namespace pelloran
