#!/bin/sh
# Fails on names that belong to another platform or to a form designer in
# the program's code: a class named TForm*, the Windows program "notepad" or
# a "c:\" path (any case). The windows are MainWindow, AdvertWindow and
# SettingsWindow; the editor is kTextEditorProgram.
set -eu
cd "$(dirname "$0")/.."

status=0
files=$(git ls-files -- 'charfile/*' 'interfaces/*' 'stylesheet/*' 'cleaner/*' 'tools/*' \
                         'batch/*' 'app/*' | grep -E '\.(h|cpp)$')
report() {
  # $1: what is wrong, then grep's own options and pattern.
  what=$1
  shift
  if found=$(grep -Hn "$@" $files); then
    echo "$found" | sed "s|\$|  <- $what|"
    status=1
  fi
}
report "a form designer's class name" -E '\b(class|struct)[[:space:]]+TForm[A-Za-z0-9_]*'
report "a Windows program on a Linux path" -i 'notepad'
report "a Windows folder on a Linux path" -iF 'c:\'
exit $status
