#!/bin/bash
# Checks that every program and plug-in of the output folder imports nothing but
# DLLs that a clean Windows has, so the folder runs without MinGW's runtime.
# Leaves a one-case-per-module GoogleTest-style report for the test summary.
# Usage: check-imports.sh OUTPUT_DIR REPORT.xml
out=$1 report=$2
allowed='^(kernel32|user32|gdi32|shell32|shlwapi|comctl32|comdlg32|ole32|oleaut32|windowscodecs|msimg32|winmm|advapi32|msvcrt|winspool\.drv|version|uxtheme)(\.dll)?$'
cases="" failures=0 count=0 rc=0
for module in "$out"/*.exe "$out"/*.spi; do
  [ -e "$module" ] || continue
  count=$((count + 1))
  name=$(basename "$module")
  bad=$(i686-w64-mingw32-objdump -p "$module" | awk '/DLL Name:/ {print tolower($3)}' | grep -v -E "$allowed" | tr '\n' ' ')
  if [ -n "$bad" ]; then
    echo "$name imports non-system DLLs: $bad"
    failures=$((failures + 1)) rc=1
    cases+="<testcase name=\"$name\" classname=\"Imports\"><failure message=\"$bad\"/></testcase>"
  else
    echo "$name imports system DLLs only"
    cases+="<testcase name=\"$name\" classname=\"Imports\"/>"
  fi
done
if [ "$count" -eq 0 ]; then
  echo "no modules in $out"
  cases="<testcase name=\"OutputFolder\" classname=\"Imports\"><failure message=\"empty\"/></testcase>"
  failures=1 count=1 rc=1
fi
echo "<?xml version=\"1.0\"?><testsuites tests=\"$count\" failures=\"$failures\"><testsuite name=\"Imports\" tests=\"$count\" failures=\"$failures\">$cases</testsuite></testsuites>" > "$report"
exit $rc
