#!/bin/sh
# Peak memory of pelloran-clean -n --diff over one large page (a real page
# repeated to SIZE_MB megabytes), against the page's size, and the same for a
# second pelloran-clean (say, one built before a change) in the same run.
# Also checks that both print the same diff.
#
#   bench/diff_memory.sh [BUILD_DIR] [SIZE_MB] [OTHER_CLEAN]
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
size_mb="${2:-200}"
other="${3:-}"
clean="$(cd "$build" 2>/dev/null && pwd)/batch/pelloran-clean"
source_page="$root/../shared/corpus/pages/penza-sights/page01.htm"
[ -x "$clean" ] || { echo "no $clean: build the dev preset first" >&2; exit 2; }
[ -f "$source_page" ] || { echo "no $source_page" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (package time)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
page="$work/big.htm"
while [ "$(stat -c %s "$page" 2>/dev/null || echo 0)" -lt $((size_mb * 1048576)) ]; do
  cat "$source_page" >> "$page"
done
page_kb=$(($(stat -c %s "$page") / 1024))

peak_kb() {  # program, diff file
  (cd "$work" && /usr/bin/time -f '%M' -o "$work/rss" "$1" -n --diff big.htm > "$2" 2>/dev/null) || true
  cat "$work/rss"
}
echo "page: $page_kb KB; allowed: $((2 * page_kb + 51200)) KB (twice the page + 50 MB)"
mine=$(peak_kb "$clean" "$work/mine.diff")
echo "this build: peak $mine KB, $(awk "BEGIN { printf \"%.2f\", $mine / $page_kb }") x the page"
if [ -n "$other" ]; then
  theirs=$(peak_kb "$other" "$work/other.diff")
  echo "other:      peak $theirs KB, $(awk "BEGIN { printf \"%.2f\", $theirs / $page_kb }") x the page"
  echo "ratio this/other: $(awk "BEGIN { printf \"%.2f\", $mine / $theirs }")"
  cmp -s "$work/mine.diff" "$work/other.diff" && echo "diffs: the same" || echo "diffs: DIFFER"
fi
