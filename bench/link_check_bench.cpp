// A clean run with link checking, as Apply makes it, over pages
// like those a user timed: 12 pages of 10 links to 90 distinct addresses, 36
// of them redirecting, on servers on loopback addresses that take 100 ms per
// answer. The same run twice in one process: with every link asked on the
// spot, one at a time (the way it used to be), and with the links checked
// ahead, many at a time and each address once. The second argument spreads
// the addresses over that many hosts (127.0.0.1, 127.0.0.2, ...). The counter
// report_fnv is a hash of the report with each server's address and the
// folder put in words, so that runs and builds can be compared byte for byte.
//
// Then a host that never answers, with 1,000 addresses on it, checked ahead
// and one at a time: the counter time_limits says how many time limits the
// checks took.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cleaner/class_tables.h"
#include "cleaner/clean_run.h"
#include "tests/support/folder_file_list.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"
#include "tests/tools/counting_server.h"
#include "tests/tools/loopback_sockets.h"
#include "tools/curl_link_check.h"

namespace {

namespace fs = std::filesystem;
using namespace pelloran;
using pelloran::testing::CountingServer;
using pelloran::testing::OneAtATime;

constexpr int kPages = 12;
constexpr int kLinksPerPage = 10;
constexpr int kAddresses = 90;

// Link k of the run names address k % 90; two in five addresses redirect.
std::string PageText(int page, const std::vector<std::unique_ptr<CountingServer>>& servers) {
  std::string text = "<html><body>\n";
  for (int link = 0; link < kLinksPerPage; ++link) {
    const int address = (page * kLinksPerPage + link) % kAddresses;
    const CountingServer& server = *servers[address % servers.size()];
    const std::string path = address % 5 < 2 ? "/found" : "/ok";
    text += "<p><a href=\"" + server.Url(path + "?n=" + std::to_string(address)) + "\">link</a>\n";
  }
  return text + "</body></html>\n";
}

// FNV-1a of the report, with every server's address and the folder replaced
// by fixed words.
double ReportHash(std::string report, const std::vector<std::unique_ptr<CountingServer>>& servers,
                  const fs::path& folder) {
  const auto replace_all = [&](const std::string& what, const std::string& with) {
    for (size_t at = 0; (at = report.find(what, at)) != std::string::npos; at += with.size())
      report.replace(at, what.size(), with);
  };
  for (size_t i = 0; i < servers.size(); ++i)
    replace_all(servers[i]->HostPort(), "host" + std::to_string(i));
  replace_all(folder.string(), "folder");
  uint32_t hash = 2166136261u;
  for (const char c : report) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

void BM_CleanRunWithLinkChecks(benchmark::State& state) {
  const bool ahead = state.range(0) == 1;
  std::vector<std::unique_ptr<CountingServer>> servers;
  for (int host = 1; host <= state.range(1); ++host) {
    servers.push_back(std::make_unique<CountingServer>(std::chrono::milliseconds(100),
                                                       "127.0.0." + std::to_string(host)));
  }
  testing::TempDir dir;
  testing::ScopedCurrentDir here(dir.path());
  testing::TestOptions options;
  options.SetLinkChecking(true);
  CurlLinkCheck check;
  OneAtATime alone(check);
  for (auto _ : state) {
    state.PauseTiming();
    for (const auto& entry : fs::directory_iterator(dir.path())) fs::remove(entry.path());
    for (int page = 0; page < kPages; ++page)
      testing::WriteFile(dir / ("page" + std::to_string(page) + ".htm"), PageText(page, servers));
    testing::FolderFileList files(dir.path());
    for (int i = 0; i < files.Count(); ++i) files.Select(i);
    for (auto& server : servers) server->Reset();
    state.ResumeTiming();
    UnseenGauge gauge;
    testing::TestMessages messages;
    ClassTables tables;
    CleanContext context(options, gauge, ahead ? static_cast<LinkCheck&>(check) : alone);
    RunClean(context, tables, files, messages);
    if (!messages.errors.empty()) state.SkipWithError(messages.errors.front().c_str());
  }
  int requests = 0;
  for (auto& server : servers) requests += server->TotalRequests();
  state.counters["requests"] = requests;
  state.counters["report_fnv"] =
      ReportHash(testing::ReadFile(dir / "Ссылки.txt"), servers, dir.path());
}

void BM_StalledHost(benchmark::State& state) {
  const bool ahead = state.range(0) == 1;
  const LinkCheckLimits limits{.connect_seconds = 2, .total_seconds = 2};
  const testing::SilentListener host;
  std::vector<std::string> values;
  for (int i = 0; i < 1000; ++i) values.push_back(host.Url() + "/page" + std::to_string(i));
  int given_up = 0;
  std::chrono::duration<double> took{};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    CurlLinkCheck check(limits);
    if (ahead) check.CheckAhead(values, nullptr);
    given_up = 0;
    for (const std::string& value : values) given_up += check.CheckLink(value).host_given_up;
    took = std::chrono::steady_clock::now() - start;
  }
  state.counters["given_up"] = given_up;
  state.counters["time_limits"] = took.count() / static_cast<double>(limits.total_seconds);
}

BENCHMARK(BM_CleanRunWithLinkChecks)
    ->ArgNames({"ahead", "hosts"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({1, 3})
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK(BM_StalledHost)
    ->ArgNames({"ahead"})
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
