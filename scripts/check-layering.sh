#!/bin/sh
# Fails when a source file includes a folder above its own floor, uses Qt
# outside app/, or the current directory outside charfile/. Floors, lowest first:
#   charfile < interfaces < stylesheet < cleaner < tools < batch, app
# batch/ and app/ stand side by side and never include each other; fuzz/ and
# bench/ sit beside them and use the engine only. tests/X follows X's floor.
set -eu
cd "$(dirname "$0")/.."

rank() {
  case "$1" in
    charfile) echo 0 ;;
    interfaces) echo 1 ;;
    stylesheet) echo 2 ;;
    cleaner) echo 3 ;;
    tools) echo 4 ;;
    batch | app | fuzz | bench | faults | install | support) echo 5 ;;
    *) echo -1 ;;
  esac
}

status=0
for file in $(git ls-files '*.h' '*.cpp'); do
  folder=${file%%/*}
  [ "$folder" = tests ] && folder=$(echo "$file" | cut -d/ -f2)
  own=$(rank "$folder")
  [ "$own" -lt 0 ] && continue
  if [ "$folder" != app ] && grep -Eq '^#include <Q[A-Za-z]*(/[A-Za-z]*)?>' "$file"; then
    echo "$file: Qt is included outside app/"
    status=1
  fi
    # A test support header counts as the floor of the tests folder it sits in.
  for used in $(sed -n -e 's|^#include "tests/\([a-z_]*\)/.*"|\1|p' \
                       -e 's|^#include "\([a-z_]*\)/.*"|\1|p' "$file" | grep -v '^tests$' | sort -u); do
    [ "$used" = "$folder" ] && continue
    [ "$used" = support ] && continue
    [ "$used" = fuzz ] && [ "$(echo "$file" | cut -d/ -f2)" = fuzz ] && continue
    theirs=$(rank "$used")
    if [ "$theirs" -lt 0 ] || [ "$theirs" -ge 5 ] || [ "$theirs" -gt "$own" ]; then
      echo "$file: includes $used/, which is not below its floor"
      status=1
    fi
  done
done
# Pages travel by path: only charfile/ may ask for or change the current
# directory.
for file in $(git ls-files 'interfaces/*.h' 'stylesheet/*' 'cleaner/*' 'tools/*' 'batch/*' 'app/*' |
              grep -E '\.(h|cpp)$'); do
  if grep -Eq '\b(chdir|getcwd|current_path)\b' "$file"; then
    echo "$file: uses the current directory, which only charfile/ may"
    status=1
  fi
done
exit $status
