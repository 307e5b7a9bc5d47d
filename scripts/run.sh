#!/bin/sh
# Installs what is missing, builds, and starts Pelloran.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh dev
exec ./build/app/pelloran "$@"
