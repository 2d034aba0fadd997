#!/bin/sh
# The manual page as man shows it: no groff warnings, the version the build
# gave it, the practice mode's name with its umlaut, and every option.
#
#   manual_page_test.sh GROFF PAGE VERSION
set -eu
groff=$1
page=$2
version=$3

warnings=$("$groff" -Tutf8 -man -ww -z "$page" 2>&1)
if [ -n "$warnings" ]; then
  echo "groff warns: $warnings"
  exit 1
fi

# One line per paragraph, so that no word is hyphenated at a line's end.
text=$(LC_ALL=C.UTF-8 "$groff" -Tutf8 -man -rLL=1000n -P-cbou "$page")
missing=0
for expected in "kippfeld $version" "Übungsmodus" "-h, --help" "-V, --version" \
  "--history" "--no-history" "BUGS" "101 / 000 / 001" "any key or click ends" \
  "Task 1 is timed from P" "the table is printed on standard output"; do
  case "$text" in
    *"$expected"*) ;;
    *)
      echo "the page does not say: $expected"
      missing=1
      ;;
  esac
done
exit $missing
