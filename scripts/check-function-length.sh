#!/bin/sh
# Fails, naming them, when a function body in the program's folders runs over
# 60 lines. It reads clang-formatted code as it lies: a definition starts at a
# line ending in "{" whose statement begins at column 0 (or, inside a class,
# at the members' indentation) and ends at the next "}" at that indentation.
set -eu
cd "$(dirname "$0")/.."
limit=60
status=0
for file in $(git ls-files -- 'charfile/*' 'interfaces/*' 'stylesheet/*' 'cleaner/*' 'tools/*' \
  'batch/*' 'app/*' | grep -E '\.(h|cpp)$'); do
  [ -f "$file" ] || continue
  awk -v limit="$limit" -v file="$file" '
    function indent_of(s) { match(s, /^ */); return RLENGTH }
    # A head that can only open a function: a name and "(" with no "=" before
    # it, and none of the words that open other blocks.
    function is_function(head, indent) {
      if (indent != 0 && !(in_class && (indent == 2 || indent == 4))) return 0
      sub(/^ +/, "", head)
      if (head ~ /^(namespace|class|struct|enum|union|extern|if|for|while|switch|else|do|try|catch|return)[ ({]/) return 0
      if (head ~ /^[}:]/ || index(head, "(") == 0) return 0
      return index(substr(head, 1, index(head, "(")), "=") == 0
    }
    {
      line = $0
      code = line
      sub(/ +\/\/.*$/, "", code)
      sub(/ +$/, "", code)
    }
    open == 0 && line ~ /^(template.*)?(class|struct) .*\{$/ { in_class = 1 }
    open == 0 && line ~ /^};/ { in_class = 0 }
    open && indent_of(line) == open_indent && substr(line, open_indent + 1, 1) == "}" {
      if (NR - open - 1 > limit)
        printf "%s:%d: %s has a body of %d lines (over %d)\n", file, open, name, NR - open - 1, limit
      open = 0
      statement_ended = 1
      next
    }
    code == "" { next }
    {
      if (statement_ended) { head = ""; head_indent = indent_of(line) }
      head = head " " code
      statement_ended = (code ~ /[;{}]$/ || code ~ /^ *(#|\/\/|\/\*|\*)/ || code ~ /^ *(public|private|protected):$/)
    }
    open == 0 && code ~ /\{$/ && is_function(head, head_indent) {
      open = NR
      open_indent = head_indent
      name = head
      sub(/^ +/, "", name)
      sub(/\(.*/, "", name)
    }
  ' "$file" | grep . && status=1
done
exit $status
