#!/bin/sh
# Peak memory of pelloran-clean over many small pages, with and without
# --json, for this build and, when given, another one (say, one built before
# a change), all in one run over the same pages. The report is meant to cost
# little more than the run without it: the pages' records go to its file as
# they end. Prints the peak resident size of each run in MB and the
# difference --json makes.
#
#   bench/json_memory.sh [BUILD_DIR] [PAGES] [OTHER_CLEAN]
#
# BUILD_DIR defaults to build/, PAGES to 100000 (in folders of 1,000).
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
pages="${2:-100000}"
other="${3:-}"
clean="$(cd "$build" 2>/dev/null && pwd)/batch/pelloran-clean"
[ -x "$clean" ] || { echo "no $clean: build the dev preset first" >&2; exit 2; }
[ -z "$other" ] || [ -x "$other" ] || { echo "no $other" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "no /usr/bin/time (Debian package time)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Small pages with something for every pass to count: a style element, a
# span, an image and three links.
folders=$(( (pages + 999) / 1000 ))
i=0
while [ "$i" -lt "$folders" ]; do
  mkdir -p "$work/pages/f$i"
  i=$((i + 1))
done
awk -v pages="$pages" -v root="$work/pages" 'BEGIN {
  for (n = 0; n < pages; n++) {
    file = sprintf("%s/f%d/p%06d.htm", root, int(n / 1000), n)
    printf "<html><head><style>p.N { color: red; font-size: 12pt }</style></head>\n" > file
    printf "<body><p class=N style=\"color:red\">Page %d <span lang=ru>text</span>\n", n > file
    printf "<a href=\"#top\">top</a> <a href=\"p%06d.htm\">next</a> <a href=\"mailto:a@b\">m</a>\n", n + 1 > file
    printf "<img width=1 src=\"i.png\" alt=x></p></body></html>\n" > file
    close(file)
  }
}'

# Peak resident size in MB of one run over a fresh copy (hard links: a clean
# gives each page a new file and keeps the old one as its backup).
peak() {
  rm -rf "$work/run"
  cp -al "$work/pages" "$work/run"
  (cd "$work/run" && /usr/bin/time -f '%M' -o "$work/rss" "$@" >/dev/null 2>&1) || true
  awk '{ printf "%.1f", $1 / 1024 }' "$work/rss"
}

printf '%-10s %12s %12s %12s\n' build "without MB" "--json MB" difference
for program in "$clean" $other; do
  label=this
  [ "$program" = "$clean" ] || label=other
  without=$(peak "$program" -q -r .)
  with=$(peak "$program" -q -r --json "$work/report.json" .)
  printf '%-10s %12s %12s %12s\n' "$label" "$without" "$with" \
    "$(echo "$with $without" | awk '{ printf "%.1f", $1 - $2 }')"
done
echo "($pages pages, the boxes at their start values)"
