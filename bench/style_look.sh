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
. "$(dirname "$0")/browser_check_setup.sh"
exec node "$root/tests/browser/style_look_check.mjs" --clean "$clean" --pages "$pages" \
  --known "$root/tests/browser/known_look_changes.tsv"
