#!/bin/sh
# Peak memory of pelloran-clean -n --diff over one large page (a real page
# repeated to SIZE_MB megabytes), against the page's size, and the same for a
# second pelloran-clean (say, one built before a change) in the same run,
# with the time each takes. Also checks that both print the same diff.
# SIZE_MB 0 takes the page once; SOURCE_PAGE is penza-sights/page01.htm of
# the corpus unless given. DISTINCT_LINES=1 appends " xN" to line N first, so
# that no two lines are equal (the most the line numbering can cost).
#
#   bench/diff_memory.sh [BUILD_DIR] [SIZE_MB] [OTHER_CLEAN] [SOURCE_PAGE]
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
size_mb="${2:-200}"
other="${3:-}"
clean="$(cd "$build" 2>/dev/null && pwd)/batch/pelloran-clean"
source_page="${4:-$root/../shared/corpus/pages/penza-sights/page01.htm}"
[ -x "$clean" ] || { echo "no $clean: build the dev preset first" >&2; exit 2; }
[ -f "$source_page" ] || { echo "no $source_page" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (package time)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
page="$work/big.htm"
cat "$source_page" > "$page"
while [ "$(stat -c %s "$page" 2>/dev/null || echo 0)" -lt $((size_mb * 1048576)) ]; do
  cat "$source_page" >> "$page"
done
if [ "${DISTINCT_LINES:-0}" = 1 ]; then
  awk '{ print $0 " x" NR }' "$page" > "$work/distinct.htm"
  mv "$work/distinct.htm" "$page"
fi
page_kb=$(($(stat -c %s "$page") / 1024))

run() {  # program, diff file: sets peak (KB) and seconds
  (cd "$work" && /usr/bin/time -f '%M %e' -o "$work/rss" "$1" -n --diff big.htm > "$2" 2>/dev/null) || true
  read -r peak seconds < "$work/rss"
}
echo "page: $page_kb KB; allowed: $((2 * page_kb + 51200)) KB (twice the page + 50 MB)"
run "$clean" "$work/mine.diff"
mine=$peak mine_s=$seconds
echo "this build: peak $mine KB, $(awk "BEGIN { printf \"%.2f\", $mine / $page_kb }") x the page, $mine_s s"
if [ -n "$other" ]; then
  run "$other" "$work/other.diff"
  echo "other:      peak $peak KB, $(awk "BEGIN { printf \"%.2f\", $peak / $page_kb }") x the page, $seconds s"
  echo "ratio this/other: memory $(awk "BEGIN { printf \"%.2f\", $mine / $peak }"), time $(awk "BEGIN { printf \"%.2f\", $mine_s / ($seconds > 0 ? $seconds : 0.01) }")"
  cmp -s "$work/mine.diff" "$work/other.diff" && echo "diffs: the same" || echo "diffs: DIFFER"
fi
