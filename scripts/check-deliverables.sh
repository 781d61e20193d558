#!/bin/bash
# Checks the modules of an output folder without running them, so that it also
# checks a build that this machine cannot execute:
#   - every program and plug-in imports only DLLs that a clean Windows has (no
#     MinGW runtime DLLs);
#   - each is built for the build's machine (pei-i386 for the 32-bit program,
#     pei-x86-64 for its twin), and the 32-bit Oxel.exe is large-address-aware;
#   - both plug-in hosts are there, each built for its own machine, whichever
#     build's folder it is;
#   - each plug-in exports every name of its .def file by that plain name, and
#     nothing decorated (no "IsSupported@8").
# Leaves a GoogleTest-style report (one case per module and check) for the test
# summary.
# Usage: check-deliverables.sh OUTPUT_DIR REPORT.xml OBJDUMP FORMAT MODULE=DEF ...
#   FORMAT: pei-i386 or pei-x86-64; MODULE=DEF: a plug-in and its .def file.
out=$1 report=$2 objdump=$3 format=$4
shift 4
allowed='^(kernel32|user32|gdi32|shell32|shlwapi|comctl32|comdlg32|ole32|oleaut32|windowscodecs|msimg32|winmm|advapi32|msvcrt|winspool\.drv|version|uxtheme)(\.dll)?$'
cases="" failures=0 count=0

record() {  # name check failure-message-or-empty
  count=$((count + 1))
  if [ -n "$3" ]; then
    echo "$1: $2: $3"
    failures=$((failures + 1))
    cases+="<testcase name=\"$1\" classname=\"$2\"><failure message=\"$3\"/></testcase>"
  else
    echo "$1: $2: ok"
    cases+="<testcase name=\"$1\" classname=\"$2\"/>"
  fi
}

# The export names of a PE module, one per line.
exports_of() {
  "$objdump" -p "$1" | awk '/^\[Ordinal\/Name Pointer\] Table/ {on = 1; next}
                            on && /^[ \t]*\[ *[0-9]+\]/ {print $NF; next}
                            on {on = 0}'
}

modules=("$out/Oxel.exe" "$out/OxelPluginHost32.exe" "$out/OxelPluginHost64.exe")
for pair in "$@"; do modules+=("$out/${pair%%=*}"); done
for module in "${modules[@]}"; do
  name=$(basename "$module")
  if [ ! -f "$module" ]; then
    record "$name" Present "missing from $out"
    continue
  fi
  wanted=$format dump=$objdump
  [ "$name" = OxelPluginHost32.exe ] && wanted=pei-i386
  # The 32-bit objdump cannot read a 64-bit module; the 64-bit one reads both.
  [ "$name" = OxelPluginHost64.exe ] && wanted=pei-x86-64 dump=x86_64-w64-mingw32-objdump
  bad=$("$dump" -p "$module" | awk '/DLL Name:/ {print tolower($3)}' | grep -v -E "$allowed" | tr '\n' ' ')
  record "$name" Imports "${bad:+imports non-system DLLs: $bad}"
  actual=$("$dump" -f "$module" | sed -n 's/.*file format \(\S*\).*/\1/p')
  [ "$actual" = "$wanted" ] && actual=""
  record "$name" Machine "${actual:+built as $actual instead of $wanted}"
  if [ "$name" = Oxel.exe ] && [ "$format" = pei-i386 ]; then
    "$objdump" -p "$module" | grep -q 'large address aware' && problem="" || problem="not large-address-aware"
    record "$name" LargeAddressAware "$problem"
  fi
done

for pair in "$@"; do
  module="$out/${pair%%=*}" def=${pair#*=}
  name=$(basename "$module")
  [ -f "$module" ] || continue
  have=$(exports_of "$module")
  problem=""
  for wanted in $(awk 'on {print $1} /^EXPORTS/ {on = 1}' "$def"); do
    grep -qx "$wanted" <<<"$have" || problem+="$wanted not exported; "
  done
  decorated=$(grep '@' <<<"$have" | tr '\n' ' ')
  [ -n "$decorated" ] && problem+="decorated names: $decorated"
  record "$name" Exports "$problem"
done

echo "<?xml version=\"1.0\"?><testsuites tests=\"$count\" failures=\"$failures\"><testsuite name=\"Deliverables\" tests=\"$count\" failures=\"$failures\">$cases</testsuite></testsuites>" > "$report"
[ "$failures" -eq 0 ]
