#!/bin/sh
# Cleans a copy of every corpus page with pelloran-clean (the boxes at their
# start values, then with --clear 5), loads each page and its original in
# headless Chromium and prints the pages whose visible text or form controls
# differ, then a table of the differences by cause. Differences listed in
# tests/browser/known_differences.tsv are marked "known"; any other makes the
# exit status 1. A few minutes.
#
#   bench/reader_view.sh [BUILD_DIR] [PAGES_DIR]
#
# BUILD_DIR defaults to build/, PAGES_DIR to the shared corpus's pages/
# beside the repository.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
pages="${2:-$root/../shared/corpus/pages}"
clean="$(cd "$build" 2>/dev/null && pwd)/batch/pelloran-clean"
[ -x "$clean" ] || { echo "no $clean: build the dev preset first" >&2; exit 2; }
[ -d "$pages" ] || { echo "no pages at $pages" >&2; exit 2; }
exec node "$root/tests/browser/reader_view_check.mjs" --clean "$clean" --pages "$pages" \
  --known "$root/tests/browser/known_differences.tsv"
