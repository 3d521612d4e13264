#!/usr/bin/env bash
# Builds the program and starts it under wine in a 1280x800 virtual desktop.
# With a screen (DISPLAY set) it opens there. Without one it starts its own
# Xvfb, saves a screenshot of the desktop to build/run-screenshot.png once the
# program sits in the tray, and keeps it running until Ctrl+C.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

"$ROOT/scripts/bootstrap.sh"
cmake --preset windows >/dev/null
cmake --build --preset windows

BUILD="$ROOT/build/windows"
# shellcheck source=wine_env.sh
source "$ROOT/scripts/wine_env.sh"
had_screen="${DISPLAY:-}"
qmo_wine_setup "$BUILD"

stop() {
  trap - INT TERM EXIT
  echo
  echo "run: stopping"
  qmo_wine_teardown
}
trap stop INT TERM EXIT

wine "$BUILD/QuenvaleMemoryOptimizer.exe" </dev/null &
program=$!

if [ -n "$had_screen" ]; then
  echo "run: Quenvale Memory Optimizer is in the tray of the wine desktop on $DISPLAY (Ctrl+C ends it)"
else
  # The screenshot waits until the program sits in the tray with its balloon up.
  driver() { wine "$BUILD/qmo_e2e_driver.exe" "$@" </dev/null >/dev/null 2>&1; }
  driver wait-window --hidden --timeout-ms 60000 &&
    driver wait-balloon "Quenvale Optimizer is working in background" --timeout-ms 30000 ||
    echo "run: the program did not reach the tray in time" >&2
  qmo_screenshot "$ROOT/build/run-screenshot.png"
  echo "run: the program runs on the private display $DISPLAY (Xvfb)"
  echo "run: screenshot of the desktop: $ROOT/build/run-screenshot.png"
  echo "run: Ctrl+C ends it"
fi
wait "$program" || true
