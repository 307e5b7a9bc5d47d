#!/bin/sh
# Installs every Debian package the build, the program and the tests need.
# Skips apt entirely when everything is already there, so a second call is quick.
set -eu

PACKAGES="
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  libcurl4-openssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev patch
  libcli11-dev nlohmann-json3-dev help2man
  clang libclang-rt-14-dev clang-format
  fonts-liberation
  util-linux iproute2 openssl strace
  chromium-headless-shell
"
# The browser check's driver runs on Node: Debian's, unless one is there.
command -v node >/dev/null 2>&1 || PACKAGES="$PACKAGES nodejs"
command -v npm >/dev/null 2>&1 || PACKAGES="$PACKAGES npm"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing:$missing"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi

# The browser driver (puppeteer-core) as the lock file pins it; again only
# when the lock file changed since the last install.
browser="$(cd "$(dirname "$0")/../tests/browser" && pwd)"
if [ ! -f "$browser/node_modules/.package-lock.json" ] ||
  [ "$browser/package-lock.json" -nt "$browser/node_modules/.package-lock.json" ]; then
  (cd "$browser" && npm ci --no-audit --no-fund)
fi
