#!/bin/sh
# The manual page as man shows it: no groff warnings, the version the build
# gave it, the practice mode's name with its umlaut, and every option; in
# English, or in the German translation.
#
#   manual_page_test.sh GROFF PAGE VERSION [de]
set -eu
groff=$1
page=$2
version=$3
language=${4:-en}

warnings=$("$groff" -Tutf8 -man -ww -z "$page" 2>&1)
if [ -n "$warnings" ]; then
  echo "groff warns: $warnings"
  exit 1
fi

# One line per paragraph, so that no word is hyphenated at a line's end.
text=$(LC_ALL=C.UTF-8 "$groff" -Tutf8 -man -rLL=1000n -P-cbou "$page")
missing=0
if [ "$language" = de ]; then
  set -- "kippfeld $version" "Übungsmodus" "-h, --help" "-V, --version" "--history" \
    "--no-history" "--lang Code" "FEHLER" "101 / 000 / 001" "SPRACHEN" "1,1 s und 0:01,1" \
    "Aufgabe 1 wird ab P gemessen" "zwölf Zielbilder" "--drill [Liste]" "drills.tsv"
else
  set -- "kippfeld $version" "Übungsmodus" "-h, --help" "-V, --version" "--history" \
    "--no-history" "--lang code" "BUGS" "101 / 000 / 001" "any key or click ends" \
    "Task 1 is timed from P" "the table is printed on standard output" "LANGUAGES" "--drill [list]" "drills.tsv"
fi
for expected in "$@"; do
  case "$text" in
    *"$expected"*) ;;
    *)
      echo "the page does not say: $expected"
      missing=1
      ;;
  esac
done
exit $missing
