// The unified diff of two texts of many lines, against a plain pass that
// hashes every line of both, in the same run: one change every 20 lines (a
// cleaned page), and two texts with no line in common, where the cost of the
// edit script is bounded and the time must stay near linear in the lines.

#include <benchmark/benchmark.h>

#include <functional>
#include <string>
#include <string_view>

#include "tools/page_diff.h"

namespace pelloran {
namespace {

std::string Text(int lines, int change_every, const char* changed) {
  std::string text;
  for (int i = 0; i < lines; ++i) {
    text += change_every > 0 && i % change_every == 0 ? changed : "<p class=MsoNormal>";
    text += std::to_string(i) + "\n";
  }
  return text;
}

void RunDiff(benchmark::State& state, const std::string& before, const std::string& after) {
  for (auto _ : state) {
    size_t bytes = 0;
    WriteUnifiedDiff(before, after, "a/p.htm", "b/p.htm",
                     [&bytes](std::string_view piece) { bytes += piece.size(); });
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_HashLinesBaseline(benchmark::State& state) {
  const std::string before = Text(int(state.range(0)), 0, "");
  const std::string after = Text(int(state.range(0)), 20, "<p>");
  for (auto _ : state) {
    size_t sum = 0;
    for (const std::string* text : {&before, &after}) {
      std::string_view rest = *text;
      while (!rest.empty()) {
        const size_t end = std::min(rest.find('\n'), rest.size() - 1) + 1;
        sum += std::hash<std::string_view>()(rest.substr(0, end));
        rest.remove_prefix(end);
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_HashLinesBaseline)->Arg(1 << 14)->Arg(1 << 17)->Arg(1 << 20);

void BM_DiffChangeEvery20Lines(benchmark::State& state) {
  RunDiff(state, Text(int(state.range(0)), 0, ""), Text(int(state.range(0)), 20, "<p>"));
}
BENCHMARK(BM_DiffChangeEvery20Lines)->Arg(1 << 14)->Arg(1 << 17)->Arg(1 << 20);

void BM_DiffNothingInCommon(benchmark::State& state) {
  RunDiff(state, Text(int(state.range(0)), 1, "a"), Text(int(state.range(0)), 1, "b"));
}
BENCHMARK(BM_DiffNothingInCommon)->Arg(1 << 14)->Arg(1 << 17)->Arg(1 << 20);

// Half the lines of each text are one blank line, in different places: many
// equally short scripts and long searches between them.
void BM_DiffRepeatedLines(benchmark::State& state) {
  RunDiff(state, Text(int(state.range(0)), 2, "\n"), Text(int(state.range(0)), 3, "\n"));
}
BENCHMARK(BM_DiffRepeatedLines)->Arg(1 << 14)->Arg(1 << 17)->Arg(1 << 20);

}  // namespace
}  // namespace pelloran

BENCHMARK_MAIN();
