#!/bin/sh
# Installs what is missing, builds, and starts Pelloran in the folder it was
# called from (the program's file browser starts there).
set -eu
here="$(pwd)"
cd "$(dirname "$0")/.."
root="$(pwd)"
./scripts/install-deps.sh
./scripts/build.sh dev
cd "$here"
exec "$root/build/app/pelloran" "$@"
