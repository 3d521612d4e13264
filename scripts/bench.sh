#!/usr/bin/env bash
# Builds the Windows tree and prints the benchmark table, measured under wine
# on this machine. Figures only: nothing here passes or fails on speed.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

"$ROOT/scripts/bootstrap.sh" >/dev/null || exit 1
cmake --preset windows >/dev/null || exit 1
cmake --build --preset windows >/dev/null || exit 1

# shellcheck source=wine_env.sh
source "$ROOT/scripts/wine_env.sh"
trap qmo_wine_teardown EXIT
qmo_wine_setup "$ROOT/build/windows" --own-display

echo "Quenvale Memory Optimizer benchmarks, $(date -u +%Y-%m-%d), $(nproc) cores, $(uname -m), wine $(wine --version 2>/dev/null)"
wine "$ROOT/build/windows/qmo_bench.exe"

# ---- the program as a whole, against a minimal tray program ----------------
# Start-up to hidden-in-tray, idle processor time hidden and visible on the
# performance page, and private bytes after a minute of idling.
BUILD="$ROOT/build/windows"
METER="$BUILD/qmo_meter.exe"
FRAME_CLASS="Quenvale.MainFrame"
BASELINE_CLASS="Quenvale.BaselineTray"
IDLE_SECONDS="${QMO_BENCH_IDLE_SECONDS:-60}"
OUT="$(mktemp)"
# shellcheck source=res_ids.sh
source "$ROOT/scripts/res_ids.sh"
qmo_res_ids ID_VIEW_PERFORMANCE ID_TRAY_EXIT || exit 1

# Wine's output goes to a file, never a pipe: a wine process may keep a pipe open.
meter() { wine "$METER" "$@" </dev/null >"$OUT" 2>/dev/null && cat "$OUT"; }
row() { printf "%-44s %12s %12s %8s\n" "$@"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

wait_gone() {  # window class
  local deadline=$((SECONDS + 30))
  while meter private "$1" >/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.2; done
}
stop_program() { meter post "$FRAME_CLASS" 0x0111 $ID_TRAY_EXIT >/dev/null; wait_gone "$FRAME_CLASS"; }
stop_baseline() { meter post "$BASELINE_CLASS" 0x0010 >/dev/null; wait_gone "$BASELINE_CLASS"; }

# Processor time of the host process running EXE_NAME, in ms, from /proc:
# unlike wine's process times it keeps the time of threads that have ended.
cpu_ms() {  # exe file name
  local pid found=""
  # Other wine prefixes may run a program of the same name: take ours.
  for pid in $(pgrep -f "$1"); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
      found=$pid
      break
    fi
  done
  pid=$found
  [ -n "$pid" ] && awk -v hz="$(getconf CLK_TCK)" '{ print int(($14 + $15) * 1000 / hz) }' "/proc/$pid/stat"
}

# CPU milliseconds used over IDLE_SECONDS, scaled to a minute, then private KiB.
idle_figures() {  # exe file name, window class
  local before after kib
  before=$(cpu_ms "$1") || return 1
  sleep "$IDLE_SECONDS"
  after=$(cpu_ms "$1") || return 1
  kib=$(meter private "$2") || return 1
  echo "$(( (after - before) * 60 / IDLE_SECONDS )) $kib"
}

windows_path() { winepath -w "$1" </dev/null >"$OUT" 2>/dev/null && head -n 1 "$OUT"; }
PROGRAM_EXE="$(windows_path "$BUILD/QuenvaleMemoryOptimizer.exe")"
BASELINE_EXE="$(windows_path "$BUILD/qmo_baseline_tray.exe")"

stop_program
wine reg delete 'HKCU\Software\Local AppWizard-Generated Applications\Quenvale Memory Optimizer' /f </dev/null >/dev/null 2>&1 || true
program_ms=()
baseline_ms=()
for _ in 1 2 3 4 5; do
  program_ms+=("$(meter start "$PROGRAM_EXE" "$FRAME_CLASS")")
  stop_program
  baseline_ms+=("$(meter start "$BASELINE_EXE" "$BASELINE_CLASS")")
  stop_baseline
done
start_program=$(printf "%s\n" "${program_ms[@]}" | median)
start_baseline=$(printf "%s\n" "${baseline_ms[@]}" | median)

meter start "$PROGRAM_EXE" "$FRAME_CLASS" >/dev/null
sleep 5
read -r hidden_cpu hidden_kib < <(idle_figures QuenvaleMemoryOptimizer.exe "$FRAME_CLASS")
meter post "$FRAME_CLASS" 0x0111 $ID_VIEW_PERFORMANCE >/dev/null
sleep 5
read -r visible_cpu _ < <(idle_figures QuenvaleMemoryOptimizer.exe "$FRAME_CLASS")
stop_program

meter start "$BASELINE_EXE" "$BASELINE_CLASS" >/dev/null
sleep 5
read -r baseline_cpu baseline_kib < <(idle_figures qmo_baseline_tray.exe "$BASELINE_CLASS")
stop_baseline
rm -f "$OUT"

row "start-up to hidden in the tray (median of 5)" "$start_program ms" "$start_baseline ms" \
  "$(ratio "$start_program" "$start_baseline")"
row "idle CPU, window hidden (per minute)" "$hidden_cpu ms" "$baseline_cpu ms" "$(ratio "$hidden_cpu" "$baseline_cpu")"
row "idle CPU, performance page shown (per min)" "$visible_cpu ms" "$baseline_cpu ms" \
  "$(ratio "$visible_cpu" "$baseline_cpu")"
row "private bytes after ${IDLE_SECONDS} s idle" "$hidden_kib KiB" "$baseline_kib KiB" \
  "$(ratio "$hidden_kib" "$baseline_kib")"
