#!/bin/sh
# Times, in one run and alternating round by round, over the same copy of a
# folder of real pages: pelloran-clean with the boxes at their start values
# (both passes), pelloran-clean --clear 5 (one pass), and cp -r of the pages
# into another folder. Prints the medians and the ratios against cp; with
# strace installed, also the system calls per page of each.
#
#   bench/clean_folder.sh [BUILD_DIR] [ROUNDS] [PAGES_DIR] [OTHER_CLEAN]
#
# BUILD_DIR defaults to build/, ROUNDS to 9, PAGES_DIR to the shared corpus's
# pages/ beside the repository. OTHER_CLEAN, a second pelloran-clean (say,
# one built before a change), is then timed in the same rounds.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-9}"
pages="${3:-$root/../shared/corpus/pages}"
other="${4:-}"
clean="$(cd "$build" 2>/dev/null && pwd)/batch/pelloran-clean"
[ -x "$clean" ] || { echo "no $clean: build the dev preset first" >&2; exit 2; }
[ -d "$pages" ] || { echo "no pages at $pages" >&2; exit 2; }
[ -z "$other" ] || [ -x "$other" ] || { echo "no $other" >&2; exit 2; }

work="$(mktemp -d)"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

files=$(find "$pages" -type f | wc -l)
bytes=$(find "$pages" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
cp -r "$pages" "$work/warm" && rm -rf "$work/warm"  # every side reads a warm cache

# The commands timed, each "label|program|options".
set -- "cp -r|cp|" "clean|$clean|" "clean --clear 5|$clean|--clear 5"
if [ -n "$other" ]; then
  set -- "$@" "other clean|$other|" "other clean --clear 5|$other|--clear 5"
fi

# Sets label, program and options from a "label|program|options" command.
take() {
  label=${1%%|*}
  rest=${1#*|}
  program=${rest%%|*}
  options=${rest#*|}
}

# A fresh start for the command in hand: the pages copied to src/ for a
# clean, nothing for cp, which makes dst/ itself.
fresh() {
  rm -rf "$work/dst" "$work/src"
  [ "$program" = cp ] || cp -r "$pages" "$work/src"
}

# One timed run of the command in hand over a fresh copy; prints its seconds
# and adds to left.N how many pages it left as they were.
run() {
  fresh
  if [ "$program" = cp ]; then
    start=$(now)
    cp -r "$pages" "$work/dst"
    end=$(now)
  else
    start=$(now)
    status=0
    # shellcheck disable=SC2086  # options are words
    (cd "$work/src" && find . -type f -exec "$program" $options {} + >/dev/null 2>"$work/err") ||
      status=$?
    end=$(now)
    # Status 1 is expected: a few corpus pages hold a byte 26 and are left alone.
    [ "$status" -le 1 ] || { cat "$work/err" >&2; exit 1; }
    # A build that leaves every page alone is not fast: the count shows it.
    grep -c . "$work/err" >>"$work/left.$n" || true
  fi
  chmod -R u+w "$work/dst" "$work/src" 2>/dev/null || true
  echo "$end - $start" | bc -l
}

i=0
while [ "$i" -lt "$rounds" ]; do
  n=0
  for command in "$@"; do
    n=$((n + 1))
    take "$command"
    run >>"$work/times.$n"
  done
  i=$((i + 1))
done

echo "$files files, $(echo "$bytes / 1000000" | bc -l | xargs printf '%.1f') MB, median of $rounds rounds, alternating"
cp_time=$(median <"$work/times.1")
n=0
for command in "$@"; do
  n=$((n + 1))
  take "$command"
  t=$(median <"$work/times.$n")
  left=""
  [ ! -f "$work/left.$n" ] || left="  ($(median <"$work/left.$n") pages left as they were)"
  printf '%-24s %8.3f s  %6.2f x cp%s\n' "$label:" "$t" "$(echo "$t / $cp_time" | bc -l)" "$left"
done

command -v strace >/dev/null || exit 0
echo "system calls per page (strace -c -f; start-up included, listing the pages not):"
n=0
for command in "$@"; do
  n=$((n + 1))
  take "$command"
  fresh
  if [ "$program" = cp ]; then
    strace -f -c -o "$work/calls" cp -r "$pages" "$work/dst"
  else
    # The pages listed first, so that only the command's own calls count.
    (cd "$work/src" && find . -type f >"$work/list")
    # shellcheck disable=SC2086
    (cd "$work/src" && strace -f -c -o "$work/calls" xargs -d '\n' -a "$work/list" \
      "$program" $options >/dev/null 2>&1) || true
  fi
  chmod -R u+w "$work/dst" "$work/src" 2>/dev/null || true
  # The table's rows: calls in the 4th column, the name last; the wait of the
  # parent for its child is no work of either.
  awk -v f="$files" -v l="$label" '
    $NF != "total" && $NF != "syscall" && $4 ~ /^[0-9]+$/ && $NF != "wait4" {
      calls[$NF] = $4; sum += $4 }
    END {
      printf "  %-22s %6.1f:", l, sum / f
      for (c in calls) if (calls[c] / f >= 0.5) printf " %s %.1f", c, calls[c] / f
      printf "\n" }' "$work/calls"
done
