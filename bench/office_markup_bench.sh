#!/bin/sh
# Over the corpus pages that carry Office markup, in one run: their bytes
# after pelloran-clean with the boxes at their start values, with
# --drop-office-markup as well, and after HTML Tidy's Word 2000 cleanup
# (tidy -clean -word-2000 -bare; a page Tidy refuses counts at its own size);
# then the median time of a whole run with and without the switch, the two
# alternating round by round over fresh copies; last, with node, the browser
# check of tests/browser/office_markup_check.mjs over all those pages (same
# visible text, form controls, link targets and computed look with and
# without the switch; exit status 1 when a page differs). A few minutes.
#
#   bench/office_markup_bench.sh [BUILD_DIR] [ROUNDS] [PAGES_DIR]
#
# Tidy is for this comparison only (Debian's package "tidy"); without it its
# column is left out.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-9}"
pages="${3:-$root/../shared/corpus/pages}"
clean="$(cd "$build" 2>/dev/null && pwd)/batch/pelloran-clean"
[ -x "$clean" ] || { echo "no $clean: build the dev preset first" >&2; exit 2; }
[ -d "$pages" ] || { echo "no pages at $pages" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
bytes_of() { (cd "$1" && find . -type f ! -name '*~' -printf '%s\n') | awk '{ s += $1 } END { print s + 0 }'; }

# The Office pages, as paths under the pages folder.
(cd "$pages" && grep -rlE 'MsoNormal|urn:schemas-microsoft-com:office|<o:p>' . |
  grep -iE '\.(html?|shtml|xhtml)$' | sort) > "$work/list"
count=$(wc -l < "$work/list")

fresh() {
  rm -rf "$work/$1"
  mkdir -p "$work/$1"
  (cd "$pages" && tar cf - -T "$work/list") | (cd "$work/$1" && tar xf -)
}
# One run of pelloran-clean over a fresh copy in $1 with options $2...; prints its seconds.
timed_clean() {
  folder=$1
  shift
  fresh "$folder"
  start=$(now)
  (cd "$work/$folder" && xargs -d '\n' "$clean" -q "$@" -- < "$work/list") || true
  echo "$(now) - $start" | bc -l
}

fresh original
original=$(bytes_of "$work/original")
timed_clean start > /dev/null
timed_clean office --drop-office-markup > /dev/null
start_bytes=$(bytes_of "$work/start")
office_bytes=$(bytes_of "$work/office")

echo "$count Office pages, $original bytes"
ratio() { echo "scale=3; $1 / $original" | bc -l; }
echo "start values:                $start_bytes bytes ($(ratio "$start_bytes") of the original)"
echo "start values + Office switch: $office_bytes bytes ($(ratio "$office_bytes") of the original)"

if command -v tidy > /dev/null; then
  fresh tidy
  refused=0
  tidy_bytes=0
  while IFS= read -r page; do
    in="$work/tidy/$page"
    if tidy -q -clean -word-2000 -bare --show-warnings no -o "$in.out" "$in" 2> /dev/null ||
      [ -s "$in.out" ]; then
      size=$(stat -c %s "$in.out")
    else
      refused=$((refused + 1))
      size=$(stat -c %s "$in")
    fi
    tidy_bytes=$((tidy_bytes + size))
  done < "$work/list"
  echo "tidy -clean -word-2000 -bare: $tidy_bytes bytes ($(ratio "$tidy_bytes") of the original), $refused pages refused (counted at their size)"
fi

: > "$work/t.start"
: > "$work/t.office"
i=0
while [ "$i" -lt "$rounds" ]; do
  timed_clean start >> "$work/t.start"
  timed_clean office --drop-office-markup >> "$work/t.office"
  i=$((i + 1))
done
t_start=$(median < "$work/t.start")
t_office=$(median < "$work/t.office")
echo "time, median of $rounds: start values ${t_start}s, with the switch ${t_office}s," \
  "ratio $(echo "scale=3; $t_office / $t_start" | bc -l)"

if command -v node > /dev/null; then
  exec node "$root/tests/browser/office_markup_check.mjs" --clean "$clean" --pages "$pages"
fi
