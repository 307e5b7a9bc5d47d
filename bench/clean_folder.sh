#!/bin/sh
# Cleans a folder of real pages with pelloran-clean (the boxes at their start
# values, so both passes run) and copies the same folder with cp, in the same
# run, several rounds; prints the medians and their ratio.
#
#   bench/clean_folder.sh [BUILD_DIR] [ROUNDS] [PAGES_DIR]
#
# BUILD_DIR defaults to build/, ROUNDS to 7, PAGES_DIR to the shared corpus's
# pages/ beside the repository.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-7}"
pages="${3:-$root/../shared/corpus/pages}"
clean="$(cd "$build" 2>/dev/null && pwd)/batch/pelloran-clean"
[ -x "$clean" ] || { echo "no $clean: build the dev preset first" >&2; exit 2; }
[ -d "$pages" ] || { echo "no pages at $pages" >&2; exit 2; }

work="$(mktemp -d)"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

files=$(find "$pages" -type f | wc -l)
bytes=$(find "$pages" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
cp -r "$pages" "$work/warm" && rm -rf "$work/warm"  # both sides read a warm cache

: >"$work/cp.times"
: >"$work/clean.times"
failed=0
i=0
while [ "$i" -lt "$rounds" ]; do
  start=$(now)
  cp -r "$pages" "$work/copy$i"
  end=$(now)
  echo "$end - $start" | bc -l >>"$work/cp.times"

  cp -r "$pages" "$work/clean$i"
  start=$(now)
  status=0
  (cd "$work/clean$i" && find . -type f -exec "$clean" {} + >/dev/null 2>"$work/clean.err") ||
    status=$?
  end=$(now)
  echo "$end - $start" | bc -l >>"$work/clean.times"
  # Status 1 is expected: a few corpus pages hold a byte 26 and are left alone.
  [ "$status" -le 1 ] || { cat "$work/clean.err" >&2; exit 1; }
  failed=$(grep -c . "$work/clean.err" || true)
  chmod -R u+w "$work/copy$i" "$work/clean$i"
  rm -rf "$work/copy$i" "$work/clean$i"
  i=$((i + 1))
done

cp_time=$(median <"$work/cp.times")
clean_time=$(median <"$work/clean.times")
awk -v f="$files" -v b="$bytes" -v c="$cp_time" -v p="$clean_time" -v r="$rounds" -v x="$failed" 'BEGIN {
  mb = b / 1e6
  printf "%d files, %.1f MB, median of %d rounds\n", f, mb, r
  printf "cp -r:          %8.3f s  %8.1f MB/s\n", c, mb / c
  printf "pelloran-clean: %8.3f s  %8.1f MB/s  (%d files left as they were)\n", p, mb / p, x
  printf "ratio clean/cp: %8.1f\n", p / c
}'
