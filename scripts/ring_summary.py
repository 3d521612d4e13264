#!/usr/bin/env python3
"""Counts passed and failed test cases in a verbose ctest log.

GoogleTest and unittest binaries report their own cases; any other ctest test,
or one that failed without saying how many cases (a crash, a timeout), counts
as one case. Prints "PASSED FAILED".
"""
import re
import sys
from collections import defaultdict

GTEST_PASSED = re.compile(r"^(\d+): \[  PASSED  \] (\d+) tests?\.")
GTEST_FAILED = re.compile(r"^(\d+): \[  FAILED  \] (\d+) tests?, listed below:")
UNITTEST_RAN = re.compile(r"^(\d+): Ran (\d+) tests? in")
UNITTEST_OK = re.compile(r"^(\d+): OK( \(.*\))?$")
UNITTEST_FAILED = re.compile(r"^(\d+): FAILED \((.*)\)")
CTEST_RESULT = re.compile(r"^\s*\d+/\d+ Test\s+#(\d+): \S+ \.*\s*(\*\*\*)?(\w+)")


def summarize(lines):
    cases = defaultdict(lambda: [0, 0])  # test number -> [passed, failed]
    ran = {}
    outcomes = {}
    for line in lines:
        line = line.rstrip("\n")
        if m := GTEST_PASSED.match(line):
            cases[m.group(1)][0] += int(m.group(2))
        elif m := GTEST_FAILED.match(line):
            cases[m.group(1)][1] += int(m.group(2))
        elif m := UNITTEST_RAN.match(line):
            ran[m.group(1)] = int(m.group(2))
        elif m := UNITTEST_OK.match(line):
            cases[m.group(1)][0] += ran.pop(m.group(1), 0)
        elif m := UNITTEST_FAILED.match(line):
            bad = sum(int(n) for n in re.findall(r"=(\d+)", m.group(2)))
            cases[m.group(1)][1] += bad
            cases[m.group(1)][0] += max(ran.pop(m.group(1), 0) - bad, 0)
        elif m := CTEST_RESULT.match(line):
            outcomes[m.group(1)] = m.group(3) == "Passed"

    passed = failed = 0
    for number, ok in outcomes.items():
        good, bad = cases.get(number, (0, 0))
        if not ok and bad == 0:
            bad = 1
        if ok and good == 0 and bad == 0:
            good = 1
        passed += good
        failed += bad
    return passed, failed


if __name__ == "__main__":
    with open(sys.argv[1], encoding="utf-8", errors="replace") as log:
        print(*summarize(log))
