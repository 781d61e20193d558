#!/usr/bin/env python3
"""Counts passed and failed test cases across the builds' GoogleTest reports.

Usage: summarize-tests.py [--tested TEXT] BUILD_DIR[@LABEL] ...
Each build folder holds test-reports/*.xml (one per ctest test) and ctest's
Testing/Temporary/LastTestsFailed.log. With @LABEL only the build's tests of
that ctest label were run, and only they are expected to report. A test that
failed without a report of failed cases (a crash, a time-out), or that left no
report at all, counts as one failed case. Prints "tested: TEXT", then one line
"N passed, N failed", and exits 1 when anything failed or nothing ran.
"""
import glob
import json
import os
import subprocess
import sys
import xml.etree.ElementTree as ET


def count_build(build, label):
    passed = failed = 0
    failed_programs = set()
    reports = {}
    for path in glob.glob(os.path.join(build, "test-reports", "*.xml")):
        name = os.path.splitext(os.path.basename(path))[0]
        try:
            root = ET.parse(path).getroot()
        except ET.ParseError:
            continue
        cases = root.iter("testcase")
        p = f = 0
        for case in cases:
            if case.get("status") == "notrun" or case.find("skipped") is not None:
                continue
            if case.find("failure") is not None or case.find("error") is not None:
                f += 1
            else:
                p += 1
        reports[name] = (p, f)
        passed += p
        failed += f
    log = os.path.join(build, "Testing", "Temporary", "LastTestsFailed.log")
    if os.path.exists(log):
        for line in open(log):
            name = line.strip().split(":", 1)[-1]
            if name:
                failed_programs.add(name)
    for name in failed_programs:
        if name not in reports or reports[name][1] == 0:
            failed += 1
            print("failed without a report of failed cases: %s (%s)" % (name, build))
    for name in registered_tests(build, label):
        if name not in reports and name not in failed_programs:
            failed += 1
            print("left no report: %s (%s)" % (name, build))
    return passed, failed


def registered_tests(build, label):
    """Names of the tests that ctest knows in this build (of this label)."""
    command = ["ctest", "--show-only=json-v1"] + (["-L", label] if label else [])
    try:
        listing = subprocess.run(command, cwd=build,
                                 capture_output=True, text=True, check=True).stdout
        return [t["name"] for t in json.loads(listing).get("tests", [])]
    except (OSError, subprocess.CalledProcessError, ValueError):
        return []


def main():
    args = sys.argv[1:]
    tested = None
    if len(args) >= 2 and args[0] == "--tested":
        tested, args = args[1], args[2:]
    passed = failed = 0
    for arg in args:
        build, _, label = arg.partition("@")
        p, f = count_build(build, label)
        passed += p
        failed += f
    if tested:
        print("tested: " + tested)
    print("%d passed, %d failed" % (passed, failed))
    sys.exit(1 if failed or passed == 0 else 0)


if __name__ == "__main__":
    main()
