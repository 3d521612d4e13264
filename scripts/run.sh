#!/usr/bin/env bash
# Builds the program and starts it under wine in a 1280x800 virtual desktop.
# With a screen (DISPLAY set) it opens there. Without one it starts its own
# Xvfb, saves a screenshot of the desktop to build/run-screenshot.png once the
# program sits in the tray, and keeps it running until Ctrl+C.
# Any step that fails says so in one line "run: ... failed" on stderr, and the
# script exits non-zero; Ctrl+C stops the program, its wine session and Xvfb.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT" || exit 1
BUILD="$ROOT/build/windows"
SCREENSHOT="$ROOT/build/run-screenshot.png"
TITLE="Quenvale Memory Optimizer"
BALLOON_TEXT="Quenvale Optimizer is working in background"

failed() {  # what failed[, why]
  echo "run: $1 failed${2:+: $2}" >&2
  exit 1
}

"$ROOT/scripts/bootstrap.sh" || failed "installing the packages (scripts/bootstrap.sh)"
cmake --preset windows >/dev/null || failed "configuring the build (cmake --preset windows)"
cmake --build --preset windows || failed "building (cmake --build --preset windows)"

# shellcheck source=wine_env.sh
source "$ROOT/scripts/wine_env.sh"
ERR="$(mktemp)"
had_screen="${DISPLAY:-}"

# Whatever ends the script ends the wine session and the Xvfb it started.
teardown() {
  trap - INT TERM EXIT
  # Quiet: bash would report the program killed with its session.
  qmo_wine_teardown 2>/dev/null
  rm -f "$ERR"
}
stop() {
  echo
  echo "run: stopping"
  teardown
  exit 0
}
trap teardown EXIT
trap stop INT TERM

qmo_wine_setup "$BUILD" 2>"$ERR" || failed "setting up wine" "$(tail -n 1 "$ERR")"

# Wine's own output (and that of the desktop it starts) goes to a log: the
# terminal keeps the script's lines only.
WINE_LOG="$ROOT/build/run-wine.log"
# In a session of its own: Ctrl+C reaches the script alone, whose stop ends
# the wine session; a program hit by the same signal would race the stop and
# be reported as failed.
setsid wine "$BUILD/QuenvaleMemoryOptimizer.exe" </dev/null >"$WINE_LOG" 2>&1 &
program=$!

# The driver's reason for a failed step is the last line of its output.
driver() {
  wine "$BUILD/qmo_e2e_driver.exe" "$@" </dev/null >/dev/null 2>"$ERR" && return 0
  tr -d '\r' <"$ERR" | grep -v '^[[:space:]]*$' | tail -n 1
  return 1
}
why="$(driver wait-window --hidden --timeout-ms 60000 && driver wait-tray-icon "$TITLE" --timeout-ms 30000)" ||
  failed "starting the program (it did not reach the tray; wine's output: $WINE_LOG)" "$why"

if [ -n "$had_screen" ]; then
  echo "run: Quenvale Memory Optimizer is in the tray of the wine desktop on $DISPLAY (Ctrl+C ends it)"
else
  # The picture is taken with the start balloon up when it shows in time.
  driver wait-balloon "$BALLOON_TEXT" --timeout-ms 30000 >/dev/null || true
  rm -f "$SCREENSHOT"
  qmo_screenshot "$SCREENSHOT"
  [ -s "$SCREENSHOT" ] || failed "taking the screenshot of $DISPLAY"
  echo "run: the program runs on the private display $DISPLAY (Xvfb)"
  echo "run: screenshot of the desktop: $SCREENSHOT"
  echo "run: Ctrl+C ends it"
fi
wait "$program"
status=$?
[ $status -eq 0 ] || failed "the program" "it ended with status $status"
echo "run: the program ended"
