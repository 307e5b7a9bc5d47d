#!/bin/sh
# Configures (once) and builds one preset: dev (default), asan or fuzz.
set -eu
cd "$(dirname "$0")/.."
preset="${1:-dev}"
dir=build
[ "$preset" = asan ] && dir=build-asan
[ "$preset" = fuzz ] && dir=build-fuzz
if [ ! -f "$dir/build.ninja" ]; then
  cmake --preset "$preset"
fi
cmake --build --preset "$preset"
