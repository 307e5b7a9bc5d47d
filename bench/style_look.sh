#!/bin/sh
# The look check over every corpus page: cleans copies with pelloran-clean,
# every property box ticked and then with the start values' boxes (overriding
# and span dropping off), puts only the cleaned style elements into the
# original markup and compares the computed style of every visible element
# holding text in headless Chromium. Prints the pages whose look changes;
# those listed in tests/browser/known_look_changes.tsv are marked "known",
# any other makes the exit status 1. Several minutes.
#
#   bench/style_look.sh [BUILD_DIR] [PAGES_DIR]
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
exec node "$root/tests/browser/style_look_check.mjs" --clean "$clean" --pages "$pages" \
  --known "$root/tests/browser/known_look_changes.tsv"
