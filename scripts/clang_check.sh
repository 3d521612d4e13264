#!/usr/bin/env bash
# A second compiler and a static checker over the Windows build:
#  1. the windows-clang preset builds the program and its Windows tests with
#     clang for x86_64-w64-mingw32, every warning an error (built, not run);
#  2. clang-tidy (.clang-tidy) over every .cpp of the program's folders, with
#     that build's compile commands, so the Win32 sources see the MinGW headers.
#
#   scripts/clang_check.sh
#
# Prints "PASS step" or "FAIL step" with the findings, then
# "clang: N passed, N failed"; non-zero when a step failed.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT" || exit 1
BUILD="build/windows-clang"
PRODUCT_FOLDERS="about|app|config|framework|history|optimizer|pages|perf|process|shell|toolkit"

"$ROOT/scripts/bootstrap.sh" >/dev/null || exit 1
mkdir -p "$BUILD"
passed=0
failed=0

# The linker and windres are outside -Werror: any "warning:" they print fails the step too.
if cmake --preset windows-clang >"$BUILD/configure.log" 2>&1 &&
  cmake --build --preset windows-clang >"$BUILD/build.log" 2>&1 &&
  ! grep -q "warning:" "$BUILD/build.log"; then
  echo "PASS clang build"
  passed=$((passed + 1))
else
  echo "FAIL clang build: see $BUILD/configure.log and $BUILD/build.log"
  grep -hE "warning:|error:" "$BUILD/configure.log" "$BUILD/build.log" | head -40
  failed=$((failed + 1))
fi

# The folders' sources that the Windows build compiles; framework/texts_native.cpp,
# the native build's stand-in for the string tables, is not among them.
tidy_log="$BUILD/clang-tidy.log"
if [ -f "$BUILD/compile_commands.json" ] &&
  run-clang-tidy -p "$BUILD" -j 2 -quiet "^$ROOT/($PRODUCT_FOLDERS)/[^/]*\.cpp$" >"$tidy_log" 2>&1; then
  echo "PASS clang-tidy: $(grep -c "^clang-tidy" "$tidy_log") files"
  passed=$((passed + 1))
else
  echo "FAIL clang-tidy: see $tidy_log"
  grep -E "(warning|error): " "$tidy_log" | sort -u | head -40
  failed=$((failed + 1))
fi

echo "clang: $passed passed, $failed failed"
[ $failed -eq 0 ]
