#!/bin/bash
# Runs a libFuzzer target for a bounded time and leaves a one-case GoogleTest-style
# report, so that the test summary counts the fuzzer as one passed or failed test.
# Usage: run-fuzzer.sh FUZZER CORPUS_DIR SECONDS REPORT.xml
fuzzer=$1 corpus=$2 seconds=$3 report=$4
name=$(basename "$fuzzer")
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$corpus"
rc=$?
failures=0
[ $rc -ne 0 ] && failures=1
cat > "$report" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<testsuites tests="1" failures="$failures" errors="0" name="$name">
  <testsuite name="$name" tests="1" failures="$failures" errors="0">
    <testcase name="RunsCleanFor${seconds}Seconds" classname="$name"/>
  </testsuite>
</testsuites>
XML
exit $rc
