#!/bin/sh
# Fails, naming the files, when clang-format would change a C++ source file.
set -eu
cd "$(dirname "$0")/.."
if git rev-parse --git-dir >/dev/null 2>&1; then
  files=$(git ls-files --cached --others --exclude-standard '*.h' '*.cpp')
else
  files=$(find . -path ./build\* -prune -o \( -name '*.h' -o -name '*.cpp' \) -print)
fi
status=0
for file in $files; do
  [ -f "$file" ] || continue
  if ! clang-format --dry-run -Werror "$file" >/dev/null 2>&1; then
    echo "$file: not formatted (run: clang-format -i $file)"
    status=1
  fi
done
exit $status
