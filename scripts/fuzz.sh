#!/usr/bin/env bash
# Builds the libFuzzer targets (clang) and runs each for a while, keeping the
# corpus between runs in build/fuzz/corpus/<target>; fuzz/seeds/<target> holds
# a few inputs shaped like real data to start from.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET]     (default 300)
#
# Prints one line per target, "PASS name: N runs" or "FAIL name ...", then
# "fuzz: N passed, N failed"; non-zero when a target found a fault. A crashing
# input is kept in build/fuzz/findings/<target>.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
SECONDS_PER_TARGET="${1:-300}"
TARGETS=(profile_loader_fuzz process_text_fuzz history_file_fuzz)

"$ROOT/scripts/bootstrap.sh" >/dev/null || exit 1
mkdir -p build/fuzz
cmake --preset fuzz >build/fuzz/configure.log 2>&1 || { cat build/fuzz/configure.log; exit 1; }
cmake --build --preset fuzz >build/fuzz/build.log 2>&1 || { tail -40 build/fuzz/build.log; exit 1; }

passed=0
failed=0
for target in "${TARGETS[@]}"; do
  corpus="build/fuzz/corpus/$target"
  findings="build/fuzz/findings/$target"
  log="build/fuzz/$target.log"
  mkdir -p "$corpus" "$findings"
  if "build/fuzz/fuzz/$target" -max_total_time="$SECONDS_PER_TARGET" -max_len=20000 -timeout=10 \
       -rss_limit_mb=2048 -artifact_prefix="$findings/" "$corpus" "fuzz/seeds/$target" >"$log" 2>&1; then
    echo "PASS $target: $(grep -Eo 'Done [0-9]+ runs' "$log" | tail -n 1 | grep -Eo '[0-9]+') runs"
    passed=$((passed + 1))
  else
    echo "FAIL $target: see $log and $findings"
    grep -E "ERROR|SUMMARY|==[0-9]+==" "$log" | head -5
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ $failed -eq 0 ]
