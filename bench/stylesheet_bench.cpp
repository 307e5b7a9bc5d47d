// The stylesheet filter over style elements of 10, 100 and 600 rules (a dozen
// declarations each, several selectors, every property box ticked, many
// declarations shared between rules), against merely reading the same text
// through NextChar in the same run. Also over the style elements of the real
// pages in the corpus, when it is there.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "charfile/byte_file.h"
#include "charfile/char_file.h"
#include "charfile/text_file.h"
#include "interfaces/clean_context.h"
#include "interfaces/link_check.h"
#include "interfaces/no_link_check.h"
#include "stylesheet/filter_style_block.h"
#include "stylesheet/keep_table.h"

namespace {

namespace fs = std::filesystem;

class AllBoxes : public pelloran::Options {
 public:
  AllBoxes() {
    for (const pelloran::KeepRow& row : pelloran::kKeepTable) ticked_[row.box] = true;
  }
  bool IsTicked(int box) const override { return box >= 0 && box < 62 && ticked_[box]; }
  bool IsLinkCheckingOn() const override { return false; }

 private:
  bool ticked_[62] = {};
};

class StillGauge : public pelloran::ProgressGauge {
 public:
  void SetProgress(int value) override { value_ = value; }
  void AddProgress(int delta) override { value_ += delta; }
  int Progress() const override { return value_; }

 private:
  int value_ = 0;
};

// A Word-like sheet: rules of four selectors and twelve declarations whose
// values come from small sets, so many declarations repeat across rules.
std::string MakeSheet(int rules) {
  static const std::vector<std::pair<std::string, std::vector<std::string>>> properties = {
      {"font-family", {"\"Times New Roman\",serif", "Arial,sans-serif", "Calibri"}},
      {"font-size", {"10.0pt", "12.0pt", "14.0pt", "9.0pt"}},
      {"font-weight", {"bold", "normal"}},
      {"color", {"black", "#365F91", "blue", "purple"}},
      {"background-color", {"white", "#FFFFCC"}},
      {"margin-top", {"0cm", "12.0pt", "24.0pt"}},
      {"margin-bottom", {".0001pt", "6.0pt", "0cm"}},
      {"text-align", {"left", "center", "justify"}},
      {"text-indent", {"0cm", "35.4pt", "1.0cm"}},
      {"line-height", {"115%", "normal", "150%"}},
      {"border-left", {"none", "solid windowtext 1.0pt"}},
      {"padding", {"0cm", "0cm 5.4pt 0cm 5.4pt"}},
  };
  std::mt19937 random(42);
  std::string sheet = "\r\n<!--\r\n /* Style Definitions */\r\n ";
  for (int r = 0; r < rules; ++r) {
    const std::string name = "Style" + std::to_string(r);
    sheet += "p." + name + ", li." + name + ", div." + name + ", span." + name + "\r\n\t{";
    for (size_t p = 0; p < properties.size(); ++p) {
      const auto& [property, values] = properties[p];
      sheet += (p == 0 ? "" : "\r\n\t") + property + ":" + values[random() % values.size()] + ";";
    }
    sheet += "}\r\n";
  }
  return sheet + "-->\r\n</style>\r\n";
}

const std::string& SheetPath(int rules) {
  static std::map<int, std::string> paths;
  auto [it, added] = paths.try_emplace(rules);
  if (added) {
    it->second =
        (fs::temp_directory_path() / ("pelloran-bench-sheet-" + std::to_string(rules))).string();
    std::ofstream(it->second, std::ios::binary | std::ios::trunc) << MakeSheet(rules);
  }
  return it->second;
}

// Every style element of the corpus pages, each up to and including its
// closing tag, one after the other; empty when the corpus is not there.
const std::string& CorpusStylesPath() {
  static const std::string path = [] {
    const fs::path pages = fs::path(PELLORAN_CORPUS_DIR) / "pages";
    std::string styles;
    std::error_code error;
    for (fs::recursive_directory_iterator it(pages, error), end; !error && it != end;
         it.increment(error)) {
      if (!it->is_regular_file()) continue;
      std::ifstream in(it->path(), std::ios::binary);
      const std::string page((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
      for (size_t at = 0; (at = page.find("<style", at)) != std::string::npos;) {
        const size_t close = page.find("</style", at);
        if (close == std::string::npos) break;
        styles.append(page, at + 6, close + 8 - (at + 6));
        at = close;
      }
    }
    if (styles.empty()) return std::string();
    const std::string p = (fs::temp_directory_path() / "pelloran-bench-corpus-styles").string();
    std::ofstream(p, std::ios::binary | std::ios::trunc) << styles;
    return p;
  }();
  return path;
}

const std::string& OutPath() {
  static const std::string path = [] {
    const std::string p = (fs::temp_directory_path() / "pelloran-bench-sheet-out").string();
    std::ofstream(p, std::ios::binary | std::ios::trunc);
    return p;
  }();
  return path;
}

// Reads the file through NextChar and nothing else.
void ReadThrough(benchmark::State& state, const std::string& path) {
  pelloran::TextFile input;
  for (auto _ : state) {
    pelloran::BindFileName(input, path);
    pelloran::OpenTextForReading(input);
    size_t sum = 0;
    for (int c; (c = pelloran::NextChar(input)) != pelloran::kEndMark;) sum += c;
    pelloran::CloseCharFile(input);
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(path)));
}

// Runs the filter over every style element of the file, dropping the rest of
// each closing tag as the tag filter does.
void Filter(benchmark::State& state, const std::string& path,
            pelloran::StyleTag tag = pelloran::StyleTag::kClosed) {
  AllBoxes options;
  StillGauge gauge;
  pelloran::NoLinkCheck link_check;
  pelloran::CleanContext context(options, gauge, link_check);
  for (auto _ : state) {
    pelloran::BindFileName(context.input, path);
    pelloran::OpenTextForReading(context.input);
    pelloran::BindFileName(context.working_copy, OutPath());
    pelloran::OpenByteFile(context.working_copy);
    while (!pelloran::AtEnd(context.input)) {
      pelloran::FilterStyleBlock(context, tag);
      for (int c = 0; c != '>' && c != pelloran::kEndMark;) c = pelloran::NextChar(context.input);
    }
    pelloran::CloseCharFile(context.input);
    pelloran::CloseCharFile(context.working_copy);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(path)));
}

void BM_ReadSheet(benchmark::State& state) {
  ReadThrough(state, SheetPath(static_cast<int>(state.range(0))));
}
void BM_FilterSheet(benchmark::State& state) {
  Filter(state, SheetPath(static_cast<int>(state.range(0))));
}

void BM_ReadCorpusStyles(benchmark::State& state) {
  if (CorpusStylesPath().empty()) return state.SkipWithError("corpus not found");
  ReadThrough(state, CorpusStylesPath());
}
void BM_FilterCorpusStyles(benchmark::State& state) {
  if (CorpusStylesPath().empty()) return state.SkipWithError("corpus not found");
  // Each element starts at the character after "<style", ">" or a blank.
  Filter(state, CorpusStylesPath(), pelloran::StyleTag::kAttributesFollow);
}

// A style element of 48 MB: either Word-like rules one after the other, or
// one rule whose block holds the 48 MB (a page that inlines its fonts).
const std::string& LargeElementPath(int shape) {
  static std::map<int, std::string> paths;
  auto [it, added] = paths.try_emplace(shape);
  if (!added) return it->second;
  constexpr size_t kSize = size_t{48} << 20;
  it->second = (fs::temp_directory_path() /
                ("pelloran-bench-large-" + std::to_string(getpid()) + "-" + std::to_string(shape)))
                   .string();
  // Written a piece at a time, so that the peak memory measured is the filter's.
  std::ofstream out(it->second, std::ios::binary | std::ios::trunc);
  size_t size = 0;
  auto put = [&](const std::string& piece) {
    out << piece;
    size += piece.size();
  };
  if (shape == 0) {
    // The rules of a generated sheet, without its comment markers and tags.
    const std::string sheet = MakeSheet(1000);
    const size_t first = sheet.find("p.");
    const std::string rules = sheet.substr(first, sheet.rfind("-->") - first);
    put(sheet.substr(0, first));
    while (size < kSize) put(rules);
    put("-->\r\n");
  } else {
    put("\r\np.big {");
    for (int i = 0; size < kSize; ++i)
      put("color: #" + std::to_string(100000 + i % 900000) +
          "; margin-top: " + std::to_string(i % 97) + "px;\r\n\t");
    put("}\r\n");
  }
  put("</style>\r\n");
  return it->second;
}

// Resident memory now and at its peak, in bytes.
size_t ResidentNow() {
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0;
  size_t resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}
size_t ResidentPeak() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<size_t>(usage.ru_maxrss) * 1024;
}

// One 48 MB style element, every box ticked; reports how far the process's
// peak resident memory rose above what it held before, per byte of the
// element ("peak_per_byte") and in MB. The peak is the process's, so run it
// alone: --benchmark_filter=LargeElement/0 (rules) or /1 (one block).
void BM_FilterLargeElement(benchmark::State& state) {
  const std::string& path = LargeElementPath(static_cast<int>(state.range(0)));
  const size_t before = ResidentNow();
  Filter(state, path);
  const double rise = static_cast<double>(ResidentPeak() - std::min(before, ResidentPeak()));
  state.counters["peak_per_byte"] = rise / static_cast<double>(fs::file_size(path));
  state.counters["peak_rise_mb"] = rise / (1 << 20);
  fs::remove(path);
}

BENCHMARK(BM_FilterLargeElement)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSheet)->Arg(10)->Arg(100)->Arg(600)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FilterSheet)->Arg(10)->Arg(100)->Arg(600)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadCorpusStyles)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FilterCorpusStyles)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
