#!/bin/sh
# Builds the libFuzzer targets (clang, fuzz preset, build-fuzz/) and runs each
# for SECONDS (default 60), seeded from the shared corpus of real pages and
# from every saved regression input. New inputs gather in build-fuzz/corpus/,
# so a later run goes on from there.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]    targets: page_fuzzer style_block_fuzzer
#
# A finding is kept as build-fuzz/findings/TARGET-crash-...; the run then
# stops with status 1. Copy the file into tests/data/fuzz-regressions/TARGET/
# so that the regression test replays it from then on.
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-60}"
[ $# -gt 0 ] && shift
targets="${*:-page_fuzzer style_block_fuzzer}"
pages="${PELLORAN_CORPUS_DIR:-$(pwd)/../shared/corpus}/pages"

./scripts/build.sh fuzz

seeds=""
[ -d "$pages" ] && seeds="$pages" || echo "fuzz: no pages at $pages; seeding from saved inputs only" >&2
mkdir -p build-fuzz/findings
for target in $targets; do
  mkdir -p "build-fuzz/corpus/$target"
  saved="tests/data/fuzz-regressions/$target"
  [ -d "$saved" ] || saved=""
  echo "fuzz: $target for $seconds s"
  # -rss_limit_mb bounds memory: a page may never make the passes grow without end.
  "build-fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=16384 -timeout=10 \
    -rss_limit_mb=1024 -malloc_limit_mb=512 -dict=fuzz/markup.dict -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/$target-" \
    "build-fuzz/corpus/$target" $saved $seeds \
    2>"build-fuzz/$target.log" || {
      tail -n 40 "build-fuzz/$target.log" >&2
      echo "fuzz: $target found a failing input (build-fuzz/findings/)" >&2
      exit 1
    }
  grep -E '^stat::number_of_executed_units|^Done' "build-fuzz/$target.log" || true
done
