#!/usr/bin/env bash
# The readme ring: the README's "scripts/run.sh" the way a newcomer without a
# screen runs it. It must build, start the program in its own Xvfb, save the
# screenshot and keep the program in the tray; Ctrl+C (SIGINT to its process
# group, as a terminal sends it) must end the program, its wine session and
# its Xvfb; and a step that fails must say so in one line. A short run of
# scripts/bench.sh must print its table.
#
#   tests/readme/run_readme.sh
#
# run.sh sets up and tears down build/windows's prefix itself, so no other
# wine session may use that prefix meanwhile. The screenshot is kept in
# build/windows/artifacts.

# shellcheck disable=SC2015
set -u
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$ROOT/build/windows"
DRIVER="$BUILD/qmo_e2e_driver.exe"
SCREENSHOT="$ROOT/build/run-screenshot.png"
ART="$BUILD/artifacts"
TITLE="Quenvale Memory Optimizer"
READY_TIMEOUT_S=300   # a first run creates the wine prefix, which takes a minute or two
STOP_TIMEOUT_S=30

SCRATCH="$(mktemp -d)"
OUT="$SCRATCH/run.out"
ERR="$SCRATCH/run.err"
STEP_ERR="$SCRATCH/step-stderr"
# shellcheck source=../e2e/ring_steps.sh
source "$ROOT/tests/e2e/ring_steps.sh"
qmo_wine_environment "$BUILD"
RUN_PID=""
RUN_GROUP=""

running() {
  [ -e "/proc/$1" ] && ! grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null
}

# Processes of our prefix whose command line holds $1, one "pid command" a line.
prefix_processes() {  # command text
  local dir
  for dir in /proc/[0-9]*; do
    {
      tr '\0' '\n' <"$dir/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
        tr '\0' ' ' <"$dir/cmdline" | grep -F "$1" | sed "s|^|${dir#/proc/} |"
    } 2>/dev/null
  done
}

# Waits, with a deadline, until the command given holds.
wait_for() {  # what, seconds, command...
  local what=$1 deadline=$((SECONDS + $2))
  shift 2
  until "$@"; do
    [ $SECONDS -lt $deadline ] || fail "$what" || return 1
    sleep 0.2
  done
}

run_ready() { grep -qx "run: Ctrl+C ends it" "$OUT" || ! running "$RUN_PID"; }
run_ended() { ! running "$RUN_PID"; }
none_left() { [ -z "$(prefix_processes "$1")" ]; }

# Ctrl+C for run.sh's whole process group; when that does not end it, a kill
# of the group and of the prefix's wine session. RUN_STATUS is its status.
stop_run() {
  [ -n "$RUN_PID" ] || return 0
  local ok=0
  kill -INT -- "-$RUN_PID" 2>/dev/null
  if ! wait_for "run.sh still runs ${STOP_TIMEOUT_S} s after Ctrl+C" $STOP_TIMEOUT_S run_ended; then
    kill -KILL -- "-$RUN_PID" 2>/dev/null
    wineserver -k 2>/dev/null
    ok=1
  fi
  wait "$RUN_PID" 2>/dev/null
  RUN_STATUS=$?
  RUN_PID=""
  return $ok
}

check_reaches_tray() {
  rm -f "$SCREENSHOT"
  # Its own process group, so that SIGINT reaches it as a terminal's Ctrl+C
  # does; and SIGINT handled as in a terminal even when this ring was started
  # in the background, where it comes ignored (and a shell cannot trap it).
  set -m
  env -u DISPLAY --default-signal=INT "$ROOT/scripts/run.sh" </dev/null >"$OUT" 2>"$ERR" &
  RUN_PID=$!
  RUN_GROUP=$RUN_PID
  set +m
  wait_for "run.sh not ready after ${READY_TIMEOUT_S} s" $READY_TIMEOUT_S run_ready || return 1
  if ! running "$RUN_PID"; then
    stop_run
    fail "run.sh ended early with status $RUN_STATUS: $(tail -n 1 "$ERR")"
    return 1
  fi
  DISPLAY="$(sed -n 's/^run: the program runs on the private display \(:[0-9]*\) (Xvfb)$/\1/p' "$OUT")"
  export DISPLAY
  [ -n "$DISPLAY" ] || fail "run.sh did not name its display" || return 1
  drv wait-window --hidden && drv wait-tray-icon "$TITLE"
}

check_screenshot() {
  [ -s "$SCREENSHOT" ] || fail "no $SCREENSHOT" || return 1
  local shape
  shape="$(identify -format '%m %wx%h %k' "$SCREENSHOT" 2>"$STEP_ERR")" || fail "unreadable: $(tail -n 1 "$STEP_ERR")" || return 1
  [ "${shape% *}" = "PNG $QMO_DESKTOP_SIZE" ] || fail "a $shape picture instead of a $QMO_DESKTOP_SIZE PNG" || return 1
  [ "${shape##* }" -gt 1 ] || fail "the screenshot is one flat colour" || return 1
  mkdir -p "$ART" && cp "$SCREENSHOT" "$ART/readme-run-screenshot.png"
}

check_ctrl_c_ends_it() {
  [ -n "$RUN_PID" ] && running "$RUN_PID" || fail "run.sh ended before Ctrl+C" || return 1
  local display=${DISPLAY:-} what
  stop_run || return 1
  [ "$RUN_STATUS" -eq 0 ] || fail "run.sh exited with status $RUN_STATUS after Ctrl+C: $(tail -n 1 "$ERR")" || return 1
  grep -qx "run: stopping" "$OUT" || fail "run.sh did not say it stops" || return 1
  for what in QuenvaleMemoryOptimizer.exe wineserver "Xvfb $display "; do
    wait_for "" 5 none_left "$what" ||
      fail "left running after Ctrl+C: $(prefix_processes "$what" | head -n 1)" || return 1
  done
}

# A wine set-up that cannot start Xvfb stands for any step that fails.
check_failure_in_one_line() {
  env -u DISPLAY QMO_DESKTOP_SIZE=0x0 "$ROOT/scripts/run.sh" </dev/null >"$OUT" 2>"$ERR"
  local status=$?
  [ $status -ne 0 ] || fail "run.sh exited with status 0 although Xvfb could not start" || return 1
  [ "$(wc -l <"$ERR")" -eq 1 ] && grep -qE "^run: .+ failed" "$ERR" ||
    fail "stderr is not one line \"run: ... failed\": $(head -n 3 "$ERR" | tr '\n' '|')"
}

# The README's scripts/bench.sh, short: one start of each program, two idle
# seconds, the whole-program rows only. Every row must print with its
# figures and a ratio against each baseline ("-" only against a zero).
check_bench_prints_table() {
  local log="$SCRATCH/bench.out" title line
  env -u DISPLAY QMO_BENCH_PROGRAM_ONLY=1 QMO_BENCH_STARTS=1 QMO_BENCH_IDLE_SECONDS=2 \
    "$ROOT/scripts/bench.sh" </dev/null >"$log" 2>"$ERR" || fail "bench.sh failed: $(tail -n 1 "$ERR")" || return 1
  for title in "start-up to the main window" "start-up to the tray icon added" "from the entry point to the tray" \
    "start-up to idle in the tray" "the window's moment at start left out" "idle CPU per minute, window hidden" "idle CPU per minute, performance page" \
    "idle CPU per minute, hidden, in-use rule" "idle CPU per minute, hidden, tray number" \
    "idle CPU per minute, hidden, full history" "private bytes after" "after every page and the history shown"; do
    line="$(grep -F -- "$title" "$log" | head -n 1)"
    [ -n "$line" ] || fail "bench.sh printed no row \"$title\"" || return 1
    # The last ten fields: measured, baseline, ratio, bare, ratio (figures with their units).
    echo "$line" | awk '{
      n = NF; if (NF < 8) exit 1
      for (i = 0; i < 2; ++i) {
        figure = $(n - 5 + 3 * i); ratio = $(n - 3 + 3 * i)
        if (figure !~ /^[0-9.]+$/ || $(n - 7) !~ /^[0-9.]+$/) exit 1
        if (ratio !~ /^[0-9]+\.[0-9][0-9]$/ && !(ratio == "-" && figure == 0)) exit 1
      }
    }' || fail "bench.sh row without its figures and ratios: $line" || return 1
  done
  grep -q "^  ready " "$log" || fail "bench.sh printed no start-up steps" || return 1
}

# Whatever run.sh left behind goes too: its process group, the prefix's session.
finish() {
  stop_run
  if [ -n "$RUN_GROUP" ]; then
    kill -KILL -- "-$RUN_GROUP" 2>/dev/null
    wineserver -k 2>/dev/null
  fi
  rm -rf "$SCRATCH"
}
trap finish EXIT

for file in "$DRIVER" "$BUILD/QuenvaleMemoryOptimizer.exe"; do
  [ -f "$file" ] || { echo "readme: missing $file (build with: cmake --build --preset windows)" >&2; exit 2; }
done
if ! timeout 30 wineserver -w 2>/dev/null; then
  echo "readme: another wine session uses $WINEPREFIX" >&2
  exit 2
fi

started=$SECONDS
ring_run_steps check "" reaches-tray screenshot ctrl-c-ends-it failure-in-one-line bench-prints-table
echo "readme: the ring took $((SECONDS - started)) s; the screenshot is kept in $ART"
echo "readme: $passed passed, $failed failed"
[ $failed -eq 0 ]
