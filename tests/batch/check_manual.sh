#!/bin/sh
# The built manual page: its Cyrillic text whole (no run of question marks
# where the help has "Ссылки.txt") and the sections a manual page is read for.
page="$1"
grep -q 'Ссылки\.txt' "$page" || { echo "no Ссылки.txt in $page"; exit 1; }
if grep -q '????' "$page"; then echo "question marks in $page"; exit 1; fi
for section in FILES '"EXIT STATUS"' ENVIRONMENT '"SEE ALSO"'; do
  grep -qx ".SH $section" "$page" || { echo "no section $section"; exit 1; }
done
