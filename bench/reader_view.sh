#!/bin/sh
# Cleans a copy of every corpus page with pelloran-clean, each beside the
# style sheets, images and frames it loads, with four setups: the boxes at
# their start values, --clear 5, every box ticked and the Office switch.
# Loads each page and its original in headless Chromium and prints, per
# setup, a table: links lost, in-page links broken, alt texts lost, pages
# whose ticked properties' look changed, pages losing text or form controls;
# then every page left, with its cause. Differences listed in
# tests/browser/known_differences.tsv and known_look_changes.tsv are marked
# "known"; any other makes the exit status 1. About an hour on 2 cores.
#
#   bench/reader_view.sh [--seeds FIRST-LAST [--count N]] [--setup NAME]...
#                        [BUILD_DIR] [PAGES_DIR]
#
# With --seeds, the pages are not the corpus's but N (200 by default) pages
# of tests/browser/page_generator.mjs for each seed from FIRST to LAST.
# --setup picks start, clear5, all or office (all four by default).
# BUILD_DIR defaults to build/, PAGES_DIR to the shared corpus's pages/
# beside the repository.
set -eu
seeds=""
count=200
setups=""
while [ $# -gt 0 ]; do
  case "$1" in
    --seeds) seeds="$2"; shift 2 ;;
    --count) count="$2"; shift 2 ;;
    --setup) setups="$setups --setup $2"; shift 2 ;;
    *) break ;;
  esac
done
[ -z "$seeds" ] || pages_optional=1
. "$(dirname "$0")/browser_check_setup.sh"
check="$root/tests/browser/reader_view_check.mjs"
known="--known $root/tests/browser/known_differences.tsv --known-look $root/tests/browser/known_look_changes.tsv"
if [ -z "$seeds" ]; then
  # shellcheck disable=SC2086
  exec node "$check" --clean "$clean" --pages "$pages" $known $setups
fi
generate=""
seed="${seeds%-*}"
while [ "$seed" -le "${seeds#*-}" ]; do
  generate="$generate --generate $seed:$count"
  seed=$((seed + 1))
done
# shellcheck disable=SC2086
exec node "$check" --clean "$clean" $generate $setups
