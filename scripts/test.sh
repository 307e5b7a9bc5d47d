#!/bin/sh
# Installs what is missing, builds, and runs every test: the normal build,
# then the same suite under AddressSanitizer + UndefinedBehaviorSanitizer.
# Set PELLORAN_SKIP_ASAN=1 to run the normal build only. Last, a short fuzz
# run: each libFuzzer target for a minute (PELLORAN_FUZZ_SECONDS; 0 skips it).
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh dev
ctest --preset dev
if [ "${PELLORAN_SKIP_ASAN:-0}" != 1 ]; then
  ./scripts/build.sh asan
  ctest --preset asan
fi
fuzz_seconds="${PELLORAN_FUZZ_SECONDS:-60}"
if [ "$fuzz_seconds" -gt 0 ]; then
  ./scripts/fuzz.sh "$fuzz_seconds"
fi
