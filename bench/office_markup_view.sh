#!/bin/sh
# Cleans a copy of every corpus page that carries Office markup twice with
# pelloran-clean, with the boxes at their start values and with
# --drop-office-markup as well, and compares what headless Chromium shows of
# the two: visible text, form controls, link targets and the computed look of
# every visible piece of text. Prints the pages that differ; exit status 1
# when any does. About a minute and a half.
#
#   bench/office_markup_view.sh [BUILD_DIR] [PAGES_DIR]
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
pages="${2:-$root/../shared/corpus/pages}"
clean="$(cd "$build" 2>/dev/null && pwd)/batch/pelloran-clean"
[ -x "$clean" ] || { echo "no $clean: build the dev preset first" >&2; exit 2; }
[ -d "$pages" ] || { echo "no pages at $pages" >&2; exit 2; }
exec node "$root/tests/browser/office_markup_check.mjs" --clean "$clean" --pages "$pages"
