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
. "$(dirname "$0")/browser_check_setup.sh"
exec node "$root/tests/browser/reader_view_check.mjs" --clean "$clean" --pages "$pages" \
  --known "$root/tests/browser/known_differences.tsv"
