// The two markup passes against a plain copy of the same pages through the
// character layer (NextChar to PutByte), measured in the same run: over the
// corpus pages one file at a time, and over one page of several megabytes
// built from them. The passes run with the boxes at their design values, and
// once more counting their statistics, to see what the counting costs.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "charfile/byte_file.h"
#include "charfile/char_file.h"
#include "charfile/text_file.h"
#include "cleaner/class_tables.h"
#include "cleaner/cleaning_options.h"
#include "cleaner/run_state.h"
#include "cleaner/style_override_pass.h"
#include "cleaner/tag_filter.h"
#include "interfaces/clean_context.h"

namespace {

namespace fs = std::filesystem;
using namespace pelloran;

class OfflineLinkCheck : public LinkCheck {
 public:
  bool IsConnected() override { return false; }
  bool IsUrlAvailable(const std::string&) override { return false; }
};

const fs::path& WorkDir() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / "pelloran-cleaner-bench";
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// One page: the input of the first pass, and the first pass's output, which
// is the input of the override pass.
struct Page {
  fs::path original;
  fs::path filtered;
  size_t size = 0;
};

struct Services {
  CleaningOptions options;
  UnseenGauge gauge;
  OfflineLinkCheck link_check;
  CleanContext context{options, gauge, link_check};
  CleanStatistics statistics;
};

void Copy(CleanContext& context, ClassTables&, RunState&) {
  for (int c; (c = NextChar(context.input)) != kEndMark;) PutByte(context.working_copy, c);
}

using Pass = void (*)(CleanContext&, ClassTables&, RunState&);

size_t RunOver(Services& services, const fs::path& in, const fs::path& out, Pass pass) {
  ClassTables tables;
  RunState run;
  CleanContext& context = services.context;
  BindFileName(context.input, in.string());
  OpenTextForReading(context.input);
  BindFileName(context.working_copy, out.string());
  CreateByteFile(context.working_copy);
  OpenByteFile(context.working_copy);
  pass(context, tables, run);
  CloseCharFile(context.working_copy);
  CloseCharFile(context.input);
  return fs::file_size(in);
}

// The corpus pages (byte 26 taken out so that every page is read whole), each
// with its first-pass output beside it; the last entry is all of them in one.
const std::vector<Page>& Pages() {
  static const std::vector<Page> pages = [] {
    std::vector<Page> result;
    const char* root = std::getenv("PELLORAN_CORPUS_DIR");
    const fs::path corpus = fs::path(root ? root : PELLORAN_CORPUS_DIR) / "pages";
    std::string all;
    Services services;
    size_t n = 0;
    auto add = [&](const std::string& bytes) {
      const fs::path base = WorkDir() / ("page" + std::to_string(n++));
      Page page{base.string() + ".htm", base.string() + ".first.htm", bytes.size()};
      WriteAll(page.original, bytes);
      RunOver(services, page.original, page.filtered, &RunTagFilter);
      result.push_back(page);
    };
    if (fs::exists(corpus)) {
      for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file()) continue;
        std::string bytes = ReadAll(entry.path());
        std::erase(bytes, '\x1A');
        all += bytes;
        add(bytes);
      }
    }
    add(all);
    return result;
  }();
  return pages;
}

// Every corpus page in turn (range 0) or the one big page (range 1),
// counting statistics or not, dropping Office markup or not.
void RunPages(benchmark::State& state, Pass pass, bool filtered_input, bool counted = false,
              bool office = false) {
  const std::vector<Page>& pages = Pages();
  const bool big = state.range(0) == 1;
  const size_t first = big ? pages.size() - 1 : 0;
  const size_t last = big ? pages.size() : pages.size() - 1;
  Services services;
  if (counted) services.context.statistics = &services.statistics;
  services.options.SetOfficeMarkupDropped(office);
  const fs::path out = WorkDir() / "out.htm";
  size_t bytes = 0;
  for (auto _ : state) {
    for (size_t i = first; i < last; ++i) {
      bytes += RunOver(services, filtered_input ? pages[i].filtered : pages[i].original, out, pass);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.SetLabel(big ? "one big page" : "corpus pages");
}

void BM_CopyPage(benchmark::State& state) { RunPages(state, &Copy, false); }
void BM_TagFilter(benchmark::State& state) { RunPages(state, &RunTagFilter, false); }
void BM_CopyFilteredPage(benchmark::State& state) { RunPages(state, &Copy, true); }
void BM_StyleOverridePass(benchmark::State& state) { RunPages(state, &RunStyleOverridePass, true); }
void BM_TagFilterCounted(benchmark::State& state) {
  RunPages(state, &RunTagFilter, false, /*counted=*/true);
}
void BM_StyleOverridePassCounted(benchmark::State& state) {
  RunPages(state, &RunStyleOverridePass, true, /*counted=*/true);
}
void BM_TagFilterOfficeSwitch(benchmark::State& state) {
  RunPages(state, &RunTagFilter, false, /*counted=*/false, /*office=*/true);
}

BENCHMARK(BM_CopyPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TagFilter)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyFilteredPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StyleOverridePass)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TagFilterCounted)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StyleOverridePassCounted)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TagFilterOfficeSwitch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
