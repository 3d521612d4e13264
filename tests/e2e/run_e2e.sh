#!/usr/bin/env bash
# The end-to-end ring: starts the real program under wine and works it from
# the outside with qmo_e2e_driver.exe, one scenario at a time, each from a
# clean state (no instance running, no stored settings, no Run value).
#
#   tests/e2e/run_e2e.sh BUILD_DIR
#
# With WINEPREFIX (and DISPLAY) set it uses that wine environment as given;
# otherwise it sets up its own with scripts/wine_env.sh and tears it down.
# Screenshots and the program's wine output are kept in BUILD_DIR/e2e-artifacts.

# "a && b || fail ..." is meant: the step fails when either of a and b does.
# shellcheck disable=SC2015
set -u

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
BUILD_DIR="$(cd "$1" && pwd)"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
EXE="$BUILD_DIR/QuenvaleMemoryOptimizer.exe"
DRIVER="$BUILD_DIR/qmo_e2e_driver.exe"
ART="$BUILD_DIR/e2e-artifacts"
LOG="$ART/wine.log"

TITLE="Quenvale Memory Optimizer"
BALLOON_TEXT="Quenvale Optimizer is working in background"
HELP_FILE="Help- Quenvale Memory Optimizer.chm"
HELP_MISSING_TEXT="Help file not found, PLease reinstall software"
# The memory areas beside the trim, all off until chosen.
AREAS_OFF=(AreaSystemCache=dword:0 AreaModifiedList=dword:0 AreaStandbyList=dword:0 AreaCombinePages=dword:0)
# The automatic runs' rule and the exclusions, as a first start writes them.
GENTLE_DEFAULTS=(AutoOptimizeRule=dword:0 AutoOptimizePercent=dword:85 StandbyFreeBelowMB=dword:512
                 StandbyListAboveMB=dword:1024 Exclusions=multi: TrayIconShows=dword:0 Theme=dword:0 Language=sz:)
DEFAULTS=(CL=dword:80 SC=sz:O RAS=dword:1 SN=dword:1 bAOMAMSF=dword:1 bARPL=dword:1 bEnableShortcut=dword:0 "${AREAS_OFF[@]}"
          "${GENTLE_DEFAULTS[@]}")

# shellcheck source=../../scripts/res_ids.sh
source "$ROOT/scripts/res_ids.sh"
qmo_res_ids ID_VIEW_PERFORMANCE ID_VIEW_PROCESSES ID_VIEW_SETTINGS ID_OPTIMIZE ID_TRAY_SHOW_HIDE ID_TRAY_EXIT \
  ID_HELP_TOPICS ID_APP_EXIT ID_APP_ABOUT IDC_SETTINGS_CRITICAL_LIMIT IDC_SETTINGS_RUN_AT_STARTUP \
  IDC_SETTINGS_APPLY_OPTIMIZER IDC_SETTINGS_APPLY_GENERAL || exit 2
ABOUT_TITLE="About Quenvale Memory Optimizer"

EXIT_TIMEOUT_S=10   # a start that hands over, or an exit, takes about a second

for file in "$EXE" "$DRIVER"; do
  [ -f "$file" ] || { echo "e2e: missing $file (build with: cmake --build --preset windows)" >&2; exit 2; }
done

SCRATCH="$(mktemp -d)"
STEP_ERR="$SCRATCH/step-stderr"
# shellcheck source=ring_steps.sh
source "$ROOT/tests/e2e/ring_steps.sh"
ring_wine_setup "$BUILD_DIR" e2e

mkdir -p "$ART"
rm -f "$ART"/*.png
: >"$LOG"
PIDS=()

# Starts the program in the background; STARTED is its wine process.
start_program() {  # [ARGUMENTS...]
  wine "$EXE" "$@" </dev/null >>"$LOG" 2>&1 &
  STARTED=$!
  PIDS+=("$STARTED")
}

running() {
  [ -e "/proc/$1" ] && ! grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null
}

# Waits for our wine process $1 to end and checks that it ended with status
# $2 (0, cleanly, when not given).
wait_exit() {
  local pid=$1 expected=${2:-0} deadline=$((SECONDS + EXIT_TIMEOUT_S)) status
  while running "$pid"; do
    [ $SECONDS -lt $deadline ] || fail "process $pid still runs after ${EXIT_TIMEOUT_S} s" || return 1
    sleep 0.1
  done
  wait "$pid" 2>/dev/null
  status=$?
  [ $status -eq "$expected" ] || fail "process $pid exited with status $status"
}

# Tray "Exit": the window goes, the process ends, the icon leaves the tray.
end_program() {
  drv post WM_COMMAND $ID_TRAY_EXIT &&
    drv wait-gone &&
    wait_exit "$1" &&
    drv wait-tray-icon "$TITLE" --gone
}

# act WHAT --visible|--hidden MESSAGE [WPARAM]: sends MESSAGE to the main
# window and expects it in that state afterwards.
act() {
  local what=$1 state=$2
  shift 2
  drv send "$@" && drv wait-window "$state" || fail "$what: $REASON"
}

shot() {
  qmo_screenshot "$ART/$1.png" && [ -s "$ART/$1.png" ] || fail "no screenshot $1.png"
}

# No instance (ours or a stray), no stored settings, no Run value. The wine
# server may be shared with the caller, so instances are asked to exit; only
# our own processes are killed, by id, when they do not.
clean_state() {
  local pid ok=0
  unset QMO_ANY_FRAME_TITLE  # a language scenario that failed midway
  drv stop-program || ok=1
  local stop_reason=$REASON
  for pid in "${PIDS[@]}"; do
    if ! wait_exit "$pid" && running "$pid"; then
      kill -KILL "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
      ok=1
    fi
  done
  PIDS=()
  # A policy scenario that failed midway leaves no policy to the next.
  wine reg delete "$POLICY_KEY" /f </dev/null >/dev/null 2>&1
  [ $ok -eq 0 ] || fail "an instance would not exit: $stop_reason" || return 1
  drv reset-registry
}

# ---- scenarios --------------------------------------------------------------

# The start-up trace reaches only a pipe the program's parent handed it: a
# variable naming a file, or a made-up handle (0x10 is its stderr under wine,
# the log), has it write nowhere.
scenario_first_start() {
  local trace="$ART/startup-trace.txt"
  rm -f "$trace"
  QMO_STARTUP_TRACE="${EXE_WIN%\\*}\\e2e-artifacts\\startup-trace.txt" QMO_STARTUP_TRACE_HANDLE=0x10 start_program
  local pid=$STARTED
  drv wait-window --hidden || return 1
  [ ! -e "$trace" ] || fail "the program made the file its environment named" || return 1
  drv wait-tray-icon "$TITLE" || return 1
  drv wait-balloon "$BALLOON_TEXT" || return 1
  shot first-start || return 1
  drv check-settings "${DEFAULTS[@]}" || return 1
  drv check-run-entry quoted "$EXE_WIN" || return 1
  ! grep -Eq '^[0-9]+ (entry|window)' "$LOG" || fail "the program wrote its start-up trace into its stderr" || return 1
  running "$pid" || fail "the program ended after starting"
}

scenario_second_start() {
  start_program
  local first=$STARTED
  drv wait-window --hidden || return 1
  start_program
  wait_exit "$STARTED" || fail "second start: $REASON" || return 1
  drv wait-window --visible || fail "after a second start: $REASON" || return 1
  shot window-visible || return 1
  start_program
  wait_exit "$STARTED" || fail "third start: $REASON" || return 1
  drv send WM_NULL && drv wait-window --visible || fail "after a third start: $REASON" || return 1
  # The logon task's start ends quietly when the program already runs.
  act "back to the tray" --hidden WM_CLOSE || return 1
  start_program /Logon
  wait_exit "$STARTED" || fail "a start by the logon task: $REASON" || return 1
  drv send WM_NULL && drv wait-window --hidden || fail "after a start by the logon task: $REASON" || return 1
  running "$first" || fail "the first instance ended"
}

scenario_hide_and_show() {
  start_program
  local pid=$STARTED id
  drv wait-window --hidden || return 1
  act "WM_CLOSE on a hidden window" --visible WM_CLOSE || return 1
  act "WM_CLOSE on a visible window" --hidden WM_CLOSE || return 1
  act "WM_CLOSE again" --visible WM_CLOSE || return 1
  act "minimize" --hidden WM_SYSCOMMAND SC_MINIMIZE || return 1
  act "WM_CLOSE after minimize" --visible WM_CLOSE || return 1
  act "File Exit on a visible window" --hidden WM_COMMAND $ID_APP_EXIT || return 1
  act "File Exit on a hidden window" --visible WM_COMMAND $ID_APP_EXIT || return 1
  act "tray show/hide on a visible window" --hidden WM_COMMAND $ID_TRAY_SHOW_HIDE || return 1
  act "tray show/hide on a hidden window" --visible WM_COMMAND $ID_TRAY_SHOW_HIDE || return 1
  for id in $ID_VIEW_PERFORMANCE $ID_VIEW_PROCESSES $ID_VIEW_SETTINGS; do
    act "command $id on a visible window" --visible WM_COMMAND "$id" || return 1
    act "WM_CLOSE before command $id" --hidden WM_CLOSE || return 1
    act "command $id on a hidden window" --visible WM_COMMAND "$id" || return 1
  done
  running "$pid" || fail "the program ended; only the tray's Exit may end it"
}

scenario_tray_exit() {
  start_program
  local pid=$STARTED
  drv wait-window --hidden && drv wait-tray-icon "$TITLE" || return 1
  end_program "$pid"
}

# Stores the six values given, starts the program on them and waits until it runs.
start_on_record() {
  drv seed-settings "$@" || return 1
  start_program
  drv wait-window --hidden
}

scenario_bad_registry() {
  local sc
  # A number stored as text and flags stored as bytes or text read as 0, a list stored as one string
  # as no list; the rest of the record stands.
  start_on_record CL=sz:55 SC=sz:K RAS=dword:1 SN=binary:01000000 bAOMAMSF=dword:0 bARPL=dword:1 Exclusions=sz:game.exe \
    bEnableShortcut=sz:1 || return 1
  drv check-settings CL=dword:0 SC=sz:K RAS=dword:1 SN=dword:0 bAOMAMSF=dword:0 bARPL=dword:1 bEnableShortcut=dword:0 "${AREAS_OFF[@]}" "${GENTLE_DEFAULTS[@]}" &&
    drv check-run-entry quoted "$EXE_WIN" || fail "CL as text, SN as bytes: $REASON" || return 1
  end_program "$STARTED" || return 1

  # An unusable SC voids the whole record, and the defaults are stored instead.
  for sc in SC=dword:5 SC=long-sz:51200; do
    start_on_record CL=dword:33 "$sc" RAS=dword:0 SN=dword:0 bAOMAMSF=dword:0 bARPL=dword:0 || return 1
    drv check-settings "${DEFAULTS[@]}" &&
      drv check-run-entry quoted "$EXE_WIN" || fail "$sc: $REASON" || return 1
    end_program "$STARTED" || return 1
  done

  # Start with Windows turned off: the Run value left from before is blanked.
  drv seed-run-entry "\"$EXE_WIN\"" || return 1
  start_on_record CL=dword:80 SC=sz:O RAS=dword:0 SN=dword:1 bAOMAMSF=dword:1 bARPL=dword:1 || return 1
  drv check-settings CL=dword:80 SC=sz:O RAS=dword:0 SN=dword:1 bAOMAMSF=dword:1 bARPL=dword:1 bEnableShortcut=dword:0 "${AREAS_OFF[@]}" "${GENTLE_DEFAULTS[@]}" &&
    drv check-run-entry empty || fail "RAS=0: $REASON" || return 1
  end_program "$STARTED"
}

scenario_help_missing() {
  [ ! -e "$BUILD_DIR/$HELP_FILE" ] || fail "\"$HELP_FILE\" is beside the program" || return 1
  start_program
  local pid=$STARTED
  drv wait-window --hidden || return 1
  drv post WM_COMMAND $ID_HELP_TOPICS || return 1
  drv check-message-box "$TITLE" "$HELP_MISSING_TEXT" || return 1
  drv wait-window --visible || fail "under the message box: $REASON" || return 1
  shot help-missing || return 1
  drv press-ok "$TITLE" || return 1
  drv send WM_NULL && drv wait-window --visible || fail "after OK: $REASON" || return 1
  running "$pid" || fail "the program ended after the message box"
}

# "Optimize" from the tray while hidden: no window comes up, only the green
# notice in the corner, which leaves by itself; a second request while the
# first runs starts nothing more.
scenario_tray_optimize() {
  start_program
  local pid=$STARTED
  drv wait-window --hidden || return 1
  drv post WM_COMMAND $ID_OPTIMIZE && drv post WM_COMMAND $ID_OPTIMIZE || return 1
  drv wait-popup || return 1
  shot popup-optimized || return 1
  drv wait-window --hidden || fail "the optimization showed the window: $REASON" || return 1
  drv wait-popup --gone --timeout-ms 8000 || return 1
  drv no-popup 1500 || fail "a second optimization ran: $REASON" || return 1
  running "$pid" || fail "the program ended"
}

# "Exit" arriving while a visible optimization runs: the program waits for
# the run, then ends as a normal Exit does.
scenario_exit_during_optimization() {
  start_program
  local pid=$STARTED
  drv wait-window --hidden || return 1
  act "show the window" --visible WM_COMMAND $ID_TRAY_SHOW_HIDE || return 1
  drv post-commands $ID_OPTIMIZE $ID_TRAY_EXIT || return 1
  drv wait-gone && wait_exit "$pid" && drv wait-tray-icon "$TITLE" --gone
}

# The window brought up from the tray on each page, kept as pictures.
scenario_pages() {
  start_program
  local pid=$STARTED command name
  drv wait-window --hidden || return 1
  for command in $ID_VIEW_PERFORMANCE:performance $ID_VIEW_PROCESSES:process $ID_VIEW_SETTINGS:settings; do
    name=${command#*:}
    act "the $name page from the tray" --visible WM_COMMAND "${command%%:*}" || return 1
    shot "page-$name" || return 1
    act "back to the tray from the $name page" --hidden WM_CLOSE || return 1
  done
  running "$pid" || fail "the program ended"
}

# The performance page a few seconds after it comes up: both needles drawn
# and both curves running, kept as a picture.
scenario_performance_page() {
  start_program
  local pid=$STARTED
  drv wait-window --hidden || return 1
  act "the performance page from the tray" --visible WM_COMMAND $ID_VIEW_PERFORMANCE || return 1
  drv wait-live-performance --timeout-ms 30000 || return 1
  shot performance-page || return 1
  running "$pid" || fail "the program ended"
}

# With the limit at 0 the commit charge is always above it: the red notice
# comes up by itself while the window stays in the tray. With notifications
# off it never does.
scenario_critical_limit_popup() {
  start_on_record CL=dword:0 SC=sz:O RAS=dword:1 SN=dword:1 bAOMAMSF=dword:0 bARPL=dword:1 || return 1
  drv wait-popup --timeout-ms 15000 || return 1
  drv popup-colour 255 0 0 || return 1
  shot popup-critical-limit || return 1
  drv wait-window --hidden || fail "the popup showed the window: $REASON" || return 1
  end_program "$STARTED" || return 1

  start_on_record CL=dword:0 SC=sz:O RAS=dword:1 SN=dword:0 bAOMAMSF=dword:0 bARPL=dword:1 || return 1
  drv no-popup 5000 || fail "notifications off: $REASON" || return 1
  end_program "$STARTED"
}

# A change applied on the settings page is in the registry at once and is
# what the page shows after a restart; each Apply saves the whole record.
scenario_settings_page() {
  local limit=$IDC_SETTINGS_CRITICAL_LIMIT run_at_startup=$IDC_SETTINGS_RUN_AT_STARTUP
  local apply_upper=$IDC_SETTINGS_APPLY_OPTIMIZER apply_lower=$IDC_SETTINGS_APPLY_GENERAL
  start_program
  drv wait-window --hidden || return 1
  act "the settings page" --visible WM_COMMAND $ID_VIEW_SETTINGS || return 1
  drv check-text $limit 80 && drv check-checked $run_at_startup 1 || return 1
  shot settings-page || return 1
  drv set-text $limit 65 && drv click $run_at_startup && drv click $apply_upper || return 1
  drv check-settings CL=dword:65 SC=sz:O RAS=dword:1 SN=dword:1 bAOMAMSF=dword:1 bARPL=dword:1 bEnableShortcut=dword:0 "${AREAS_OFF[@]}" "${GENTLE_DEFAULTS[@]}" &&
    drv check-run-entry quoted "$EXE_WIN" || fail "after the upper Apply: $REASON" || return 1
  drv click $apply_lower || return 1
  drv check-settings CL=dword:65 SC=sz:O RAS=dword:0 SN=dword:1 bAOMAMSF=dword:1 bARPL=dword:1 bEnableShortcut=dword:0 "${AREAS_OFF[@]}" "${GENTLE_DEFAULTS[@]}" &&
    drv check-run-entry empty || fail "after the lower Apply: $REASON" || return 1
  shot settings-applied || return 1
  end_program "$STARTED" || return 1

  start_program
  drv wait-window --hidden || return 1
  drv check-settings CL=dword:65 SC=sz:O RAS=dword:0 SN=dword:1 bAOMAMSF=dword:1 bARPL=dword:1 bEnableShortcut=dword:0 "${AREAS_OFF[@]}" "${GENTLE_DEFAULTS[@]}" &&
    drv check-run-entry empty || fail "after a restart: $REASON" || return 1
  act "the settings page after a restart" --visible WM_COMMAND $ID_VIEW_SETTINGS || return 1
  drv check-text $limit 65 && drv check-checked $run_at_startup 0 || fail "after a restart: $REASON"
}

# The About box from the tray while hidden, and over the shown window.
scenario_about_box() {
  start_program
  local pid=$STARTED
  drv wait-window --hidden || return 1
  drv post WM_COMMAND $ID_APP_ABOUT && drv wait-dialog "$ABOUT_TITLE" || return 1
  shot about-box || return 1
  drv press-ok "$ABOUT_TITLE" && drv wait-window --hidden || fail "after OK: $REASON" || return 1
  act "show the window" --visible WM_COMMAND $ID_TRAY_SHOW_HIDE || return 1
  drv post WM_COMMAND $ID_APP_ABOUT && drv wait-dialog "$ABOUT_TITLE" || return 1
  shot about-over-window || return 1
  drv press-ok "$ABOUT_TITLE" || return 1
  drv send WM_NULL && drv wait-window --visible || fail "after the second OK: $REASON" || return 1
  running "$pid" || fail "the program ended"
}

# The process page with real rows: sorted by memory ascending when shown, and
# descending after a click on the "Memory usage" header.
scenario_process_list() {
  start_program
  local pid=$STARTED
  drv wait-window --hidden || return 1
  act "the process page from the tray" --visible WM_COMMAND $ID_VIEW_PROCESSES || return 1
  drv check-process-list ascending || fail "as shown: $REASON" || return 1
  drv click-list-header 1 || return 1
  drv check-process-list descending || fail "after a click on Memory usage: $REASON" || return 1
  drv send WM_NULL && drv wait-window --visible || return 1
  shot process-sorted-by-memory || return 1
  running "$pid" || fail "the program ended"
}

# With automatic refresh off, a process started while another page shows is
# in the list when the process page is shown again.
scenario_process_page_shown_again() {
  local newcomer=qmo_e2e_newcomer.exe hold=QmoE2eNewcomer holder status=0 reason
  cp "$DRIVER" "$SCRATCH/$newcomer" || fail "cannot copy the driver" || return 1
  start_on_record CL=dword:80 SC=sz:O RAS=dword:0 SN=dword:1 bAOMAMSF=dword:0 bARPL=dword:0 || return 1
  act "the process page" --visible WM_COMMAND $ID_VIEW_PROCESSES || return 1
  drv check-list-row $newcomer --gone || return 1
  act "the performance page" --visible WM_COMMAND $ID_VIEW_PERFORMANCE || return 1
  wine "$SCRATCH/$newcomer" hold $hold --timeout-ms 120000 </dev/null >>"$LOG" 2>&1 &
  holder=$!
  drv wait-held $hold &&
    act "the process page again" --visible WM_COMMAND $ID_VIEW_PROCESSES &&
    drv check-list-row $newcomer &&
    shot process-page-shown-again || status=1
  reason=$REASON
  drv release $hold && wait "$holder" || fail "the started process: $REASON" || status=1
  [ $status -eq 0 ] || { REASON=${reason:-$REASON}; return 1; }
}

# Ten minutes and more of use, shown and then in the tray, while the program's
# GDI and USER objects, handles and private bytes are sampled every 10 s into
# soak.csv. Its figures and margins are printed with the ring's output.
scenario_soak() {
  start_on_record CL=dword:0 SC=sz:O RAS=dword:0 SN=dword:1 bAOMAMSF=dword:1 bARPL=dword:1 || return 1
  local pid=$STARTED status
  (cd "$ART" && wine "$BUILD_DIR/qmo_soak.exe" soak.csv "${QMO_SOAK_SECONDS:-600}" </dev/null >"$ART/soak.log" 2>&1)
  status=$?
  grep -v '^[[:space:]]*$' "$ART/soak.log"
  [ $status -eq 0 ] || fail "$(grep -v '^[[:space:]]*$' "$ART/soak.log" | tail -n 1)" || return 1
  running "$pid" || fail "the program ended"
}

# The command line. /Optimize with none running trims in its own process and
# leaves nothing behind; with the program running in the tray it hands over:
# the asking start ends 0, the notice shows and the window stays hidden. /?
# and an unknown switch show the list of switches (status 0 and 2) and change
# nothing.
scenario_command_line() {
  start_program /Optimize
  wait_exit "$STARTED" || fail "/Optimize with none running: $REASON" || return 1
  drv wait-gone && drv no-popup 1000 || fail "/Optimize with none running left something: $REASON" || return 1
  start_program '/?'
  drv press-ok "$TITLE" --ownerless && wait_exit "$STARTED" || fail "/?: $REASON" || return 1

  start_program
  local first=$STARTED
  drv wait-window --hidden || return 1
  start_program -optimize
  wait_exit "$STARTED" || fail "/Optimize with the program running: $REASON" || return 1
  drv wait-popup || fail "no notice after /Optimize: $REASON" || return 1
  shot popup-command-line || return 1
  drv wait-window --hidden || fail "/Optimize showed the window: $REASON" || return 1
  drv wait-popup --gone --timeout-ms 8000 || return 1
  start_program /Optimise
  drv press-ok "$TITLE" --ownerless && wait_exit "$STARTED" 2 || fail "an unknown switch: $REASON" || return 1
  drv no-popup 1500 && drv wait-window --hidden || fail "after an unknown switch: $REASON" || return 1
  running "$first" || fail "the program ended"
}

# The emergency shortcut typed on the keyboard: nothing while it is off (the
# default); switched on from the settings page it optimizes with the window in
# the tray, and a letter applied later takes over from the old one.
scenario_emergency_shortcut() {
  qmo_res_ids IDC_SETTINGS_ENABLE_SHORTCUT IDC_SETTINGS_SHORTCUT_KEY || return 1
  local switch=$IDC_SETTINGS_ENABLE_SHORTCUT letter=$IDC_SETTINGS_SHORTCUT_KEY apply=$IDC_SETTINGS_APPLY_OPTIMIZER
  start_program
  local pid=$STARTED
  drv wait-window --hidden || return 1
  drv press-ctrl-alt O && drv no-popup 3000 || fail "switched off: $REASON" || return 1
  act "the settings page" --visible WM_COMMAND $ID_VIEW_SETTINGS || return 1
  drv check-checked $switch 0 && drv click $switch && drv click $apply || return 1
  drv check-settings CL=dword:80 SC=sz:O RAS=dword:1 SN=dword:1 bAOMAMSF=dword:1 bARPL=dword:1 \
    bEnableShortcut=dword:1 "${AREAS_OFF[@]}" "${GENTLE_DEFAULTS[@]}" || fail "switched on: $REASON" || return 1
  shot settings-shortcut-on || return 1
  act "back to the tray" --hidden WM_CLOSE || return 1
  drv press-ctrl-alt O && drv wait-popup || fail "Ctrl+Alt+O switched on: $REASON" || return 1
  drv wait-window --hidden || fail "the shortcut showed the window: $REASON" || return 1
  drv wait-popup --gone --timeout-ms 8000 || return 1

  act "the settings page again" --visible WM_COMMAND $ID_VIEW_SETTINGS || return 1
  drv set-text $letter K && drv click $apply || return 1
  act "back to the tray again" --hidden WM_CLOSE || return 1
  drv press-ctrl-alt O && drv no-popup 3000 || fail "Ctrl+Alt+O once K is applied: $REASON" || return 1
  drv press-ctrl-alt K && drv wait-popup || fail "Ctrl+Alt+K: $REASON" || return 1
  drv wait-window --hidden || fail "Ctrl+Alt+K showed the window: $REASON" || return 1
  running "$pid" || fail "the program ended"
}

# The history file of the prefix's user, where the program keeps its runs.
history_file() {
  local users="$WINEPREFIX/drive_c/users"
  echo "$users/$(ls "$users" | grep -v -x -e Public -e crossover | head -n 1)/AppData/Local/Quenvale Memory Optimizer/history.csv"
}

# history_rows TRIGGER...: within 20 s the history file holds one row per
# trigger given, in that order, each with both late samples filled in.
history_rows() {
  local deadline=$((SECONDS + 20)) file
  file="$(history_file)"
  while :; do
    REASON=$(python3 - "$file" "$@" 2>&1 <<'PY'
import csv, sys
path, expected = sys.argv[1], sys.argv[2:]
try:
    with open(path, newline='', encoding='utf-8-sig') as f:
        rows = list(csv.DictReader(f))
except OSError as error:
    sys.exit(f"no history file: {error}")
triggers = [row['trigger'] for row in rows]
if triggers != expected:
    sys.exit(f"triggers {triggers}, expected {expected}")
for row in rows:
    late = [row['back after 30 s (MiB)'], row['back after 5 min (MiB)'], row['page faults after 5 min']]
    if not late[0] or not late[1]:
        sys.exit(f"the {row['trigger']} row's late samples are not filled in: {late}")
    if not row['working sets'] or not row['in use before (MiB)'] or not row['freed (MiB)'] or row['in use read from'] == 'none':
        sys.exit(f"the {row['trigger']} row lacks its account: {row}")
    # Every program is excluded: none trimmed, each counted.
    if row['processes trimmed'] != '0' or int(row['processes excluded'] or 0) < 2:
        sys.exit(f"the {row['trigger']} row trimmed what the exclusions name: {row}")
PY
) && return 0
    [ $SECONDS -lt $deadline ] || fail "$REASON" || return 1
    sleep 0.2
  done
}

# Every way into a run leaves its row in the history file with the trigger
# that asked for it; the late samples, shortened to 1 s and 2 s by the hidden
# values, fill the rebound columns of each row in place. A pattern that
# excludes every program leaves each run's processes untrimmed and counted.
scenario_run_history() {
  rm -f "$(history_file)"
  start_on_record CL=dword:80 SC=sz:O RAS=dword:0 SN=dword:1 bAOMAMSF=dword:1 bARPL=dword:1 bEnableShortcut=dword:1 \
    ReboundFirstSampleMs=dword:1000 ReboundSecondSampleMs=dword:2000 'Exclusions=multi:nothing.exe|*' || return 1
  local pid=$STARTED
  start_program /Optimize
  wait_exit "$STARTED" || fail "/Optimize: $REASON" || return 1
  history_rows "command line" || return 1
  drv press-ctrl-alt O && history_rows "command line" hotkey || return 1
  drv post-from-tray $ID_OPTIMIZE && history_rows "command line" hotkey tray || return 1
  drv post WM_COMMAND $ID_OPTIMIZE && history_rows "command line" hotkey tray menu || return 1
  cp "$(history_file)" "$ART/history.csv"

  # The history window over the tray, and the memory areas dialog over the settings page.
  qmo_res_ids ID_VIEW_HISTORY IDC_SETTINGS_MEMORY_AREAS || return 1
  drv post WM_COMMAND $ID_VIEW_HISTORY && drv painted-dialog "Optimization history" || return 1
  shot history-window || return 1
  act "the settings page" --visible WM_COMMAND $ID_VIEW_SETTINGS || return 1
  drv post-click $IDC_SETTINGS_MEMORY_AREAS && drv painted-dialog "Memory areas" || return 1
  shot memory-areas || return 1
  drv press-ok "Memory areas" || return 1
  qmo_res_ids IDC_SETTINGS_AUTOMATIC_RUNS IDC_SETTINGS_EXCLUSIONS || return 1
  drv post-click $IDC_SETTINGS_AUTOMATIC_RUNS && drv painted-dialog "Automatic runs" || return 1
  shot automatic-runs || return 1
  drv press-ok "Automatic runs" || return 1
  drv post-click $IDC_SETTINGS_EXCLUSIONS && drv painted-dialog "Exclusions" || return 1
  shot exclusions || return 1
  drv press-ok "Exclusions" || return 1
  running "$pid" || fail "the program ended"
}

# An automatic run (the five-minute turn, asked for through the timer's
# message) leaves alone the program in the foreground, this one with its
# window shown, and trims the idle ones: its row counts both. Processor use is
# first noted ten seconds after the start, and a run compares with a note at
# least 30 s old: the turn is asked for once that much time has passed. Wine
# answers every process's processor time with the caller's own, near the 1 %
# that makes a program busy: the hidden share is raised to 50 %, so that every
# program counts as idle; only the foreground rule leaves one alone, and the
# rule for programs started since the note the other (the driver asking).
scenario_automatic_run() {
  rm -f "$(history_file)"
  start_on_record CL=dword:80 SC=sz:O RAS=dword:0 SN=dword:1 bAOMAMSF=dword:1 bARPL=dword:1 \
    BusyProcessorPercent=dword:50 || return 1
  local asked=$((SECONDS + 45)) deadline
  act "the window shown" --visible WM_COMMAND $ID_VIEW_SETTINGS || return 1
  while [ $SECONDS -lt $asked ]; do sleep 1; done
  # Sent, not posted: the driver asking waits while the run takes place, so it
  # is surely there, a process started since the note, and left alone too.
  # (Posted, it might or might not have gone by then.)
  drv send WM_TIMER 2 || return 1
  deadline=$((SECONDS + 20))
  until REASON=$(python3 - "$(history_file)" 2>&1 <<'PY'
import csv, sys
try:
    with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:
        rows = list(csv.DictReader(f))
except OSError as error:
    sys.exit(f"no history file: {error}")
if [row['trigger'] for row in rows] != ['automatic']:
    sys.exit(f"rows {[row['trigger'] for row in rows]}, expected one automatic run")
row = rows[0]
if row['processes in use'] != '2' or int(row['processes trimmed']) < 1 or row['processes excluded'] != '0':
    sys.exit(f"the foreground program is not left alone while the idle ones are trimmed: {row}")
PY
); do
    [ $SECONDS -lt $deadline ] || fail "$REASON" || return 1
    sleep 0.2
  done
  cp "$(history_file)" "$ART/history-automatic.csv"
  end_program "$STARTED"
}

# ---- the ring ----------------------------------------------------------------

finish() {
  clean_state || echo "e2e: cleanup: $REASON" >&2
  [ $OWN_WINE -eq 0 ] || qmo_wine_teardown
  rm -rf "$SCRATCH"
}
trap finish EXIT

winepath -w "$EXE" </dev/null >"$SCRATCH/exe-path" 2>/dev/null
EXE_WIN="$(head -n 1 "$SCRATCH/exe-path")"
[ -n "$EXE_WIN" ] || { echo "e2e: winepath cannot name $EXE" >&2; exit 2; }

started=$SECONDS
# A run from the tray says what it freed: the green notice's second line, in
# its window text and in a kept picture, and the last run in the tray tip.
scenario_freed_report() {
  start_program
  local pid=$STARTED
  drv wait-window --hidden || return 1
  drv wait-tray-icon "$TITLE" "Last optimized*" --gone --timeout-ms 1000 || fail "a result before any run: $REASON" || return 1
  drv post WM_COMMAND $ID_OPTIMIZE || return 1
  drv wait-popup || return 1
  drv popup-text "The System Memory is optimized" "Freed *" || return 1
  shot popup-freed || return 1
  drv wait-tray-icon "$TITLE" "Last optimized *" || return 1
  drv wait-popup --gone --timeout-ms 8000 || return 1
  running "$pid" || fail "the program ended"
}

# The program on a screen of 144 DPI (150 %), as most laptops run: each page,
# the About box and both notices, kept as pictures. Wine reads the screen's DPI
# when a program starts; the setting goes again at the end.
scenario_high_dpi() {
  local desktop='HKCU\Control Panel\Desktop' status
  wine reg add "$desktop" /v LogPixels /t REG_DWORD /d ${QMO_E2E_HIGH_DPI:-144} /f </dev/null >/dev/null 2>&1 ||
    fail "cannot set the screen to 144 DPI" || return 1
  high_dpi_pictures
  status=$?
  wine reg delete "$desktop" /v LogPixels /f </dev/null >/dev/null 2>&1
  return $status
}

high_dpi_pictures() {
  local command name
  start_program
  drv wait-window --hidden || return 1
  drv post WM_COMMAND $ID_OPTIMIZE && drv wait-popup && drv popup-colour 0 255 0 || return 1
  shot dpi144-popup-optimized || return 1
  for command in $ID_VIEW_PERFORMANCE:performance $ID_VIEW_PROCESSES:process $ID_VIEW_SETTINGS:settings; do
    name=${command#*:}
    act "the $name page at 144 DPI" --visible WM_COMMAND "${command%%:*}" || return 1
    shot "dpi144-page-$name" || return 1
  done
  drv post WM_COMMAND $ID_APP_ABOUT && drv wait-dialog "$ABOUT_TITLE" || return 1
  shot dpi144-about-box || return 1
  drv press-ok "$ABOUT_TITLE" || return 1
  end_program "$STARTED" || return 1
  start_on_record CL=dword:0 SC=sz:O RAS=dword:1 SN=dword:1 bAOMAMSF=dword:0 bARPL=dword:1 || return 1
  drv wait-popup --timeout-ms 15000 && drv popup-colour 255 0 0 || return 1
  shot dpi144-popup-critical-limit || return 1
  end_program "$STARTED" || return 1
  start_on_record CL=dword:80 SC=sz:O RAS=dword:0 SN=dword:1 bAOMAMSF=dword:0 bARPL=dword:1 Theme=dword:2 || return 1
  for command in $ID_VIEW_PERFORMANCE:performance $ID_VIEW_PROCESSES:process $ID_VIEW_SETTINGS:settings; do
    name=${command#*:}
    act "the $name page at 144 DPI, dark" --visible WM_COMMAND "${command%%:*}" || return 1
    shot "dpi144-dark-page-$name" || return 1
  done
  end_program "$STARTED"
}

# The dark theme chosen in the settings and the committed figure in the tray:
# every page, the history window, the settings' dialogs and the About box,
# kept as pictures; the tray's tip carries the other figure.
scenario_dark_theme() {
  start_on_record CL=dword:80 SC=sz:O RAS=dword:0 SN=dword:1 bAOMAMSF=dword:0 bARPL=dword:1 TrayIconShows=dword:2 \
    Theme=dword:2 || return 1
  local pid=$STARTED command name
  qmo_res_ids ID_VIEW_HISTORY IDC_SETTINGS_MEMORY_AREAS IDC_SETTINGS_AUTOMATIC_RUNS IDC_SETTINGS_EXCLUSIONS || return 1
  for command in $ID_VIEW_PERFORMANCE:performance $ID_VIEW_PROCESSES:process $ID_VIEW_SETTINGS:settings; do
    name=${command#*:}
    act "the $name page, dark" --visible WM_COMMAND "${command%%:*}" || return 1
    shot "dark-page-$name" || return 1
  done
  for name in MEMORY_AREAS:"Memory areas" AUTOMATIC_RUNS:"Automatic runs" EXCLUSIONS:"Exclusions"; do
    local id_name=IDC_SETTINGS_${name%%:*} caption=${name#*:}
    drv post-click "${!id_name}" && drv painted-dialog "$caption" || return 1
    shot "dark-${caption// /-}" || return 1
    drv press-ok "$caption" || return 1
  done
  drv post WM_COMMAND $ID_VIEW_HISTORY && drv painted-dialog "Optimization history" || return 1
  shot dark-history-window || return 1
  drv post WM_COMMAND $ID_APP_ABOUT && drv wait-dialog "$ABOUT_TITLE" || return 1
  shot dark-about-box || return 1
  drv press-ok "$ABOUT_TITLE" || return 1
  running "$pid" || fail "the program ended"
}

# The program in the widened pseudo-language, German and Chinese: every page and
# dialog shot for a look (the texts' markers and fit are checked in the
# Windows ring).
scenario_languages() {
  local tag command name
  qmo_res_ids ID_VIEW_HISTORY IDC_SETTINGS_MEMORY_AREAS IDC_SETTINGS_AUTOMATIC_RUNS IDC_SETTINGS_EXCLUSIONS || return 1
  export QMO_ANY_FRAME_TITLE=1
  for tag in qps-ploc de zh-Hans; do
    start_on_record CL=dword:80 SC=sz:O RAS=dword:0 SN=dword:1 bAOMAMSF=dword:0 bARPL=dword:1 Language=sz:$tag || return 1
    local pid=$STARTED
    for command in $ID_VIEW_PERFORMANCE:performance $ID_VIEW_PROCESSES:process $ID_VIEW_SETTINGS:settings; do
      name=${command#*:}
      act "the $name page in $tag" --visible WM_COMMAND "${command%%:*}" || return 1
      shot "$tag-page-$name" || return 1
    done
    for name in MEMORY_AREAS AUTOMATIC_RUNS EXCLUSIONS; do
      local id_name=IDC_SETTINGS_$name
      drv post-click "${!id_name}" && drv painted-dialog "*" || return 1
      shot "$tag-dialog-${name,,}" || return 1
      drv press-ok "*" || return 1
    done
    drv post WM_COMMAND $ID_APP_ABOUT && drv painted-dialog "*" || return 1
    shot "$tag-about-box" || return 1
    drv press-ok "*" || return 1
    running "$pid" || fail "the program ended in $tag"
    drv post WM_COMMAND $ID_TRAY_EXIT && drv wait-gone && wait_exit "$pid" || return 1
  done
  unset QMO_ANY_FRAME_TITLE
}

# An organisation's policy in the machine's key, read as the program starts:
# the settings page shows the values it sets, locked with the note beside
# them, and a start's optimize switch runs nothing where manual runs are not
# allowed.
POLICY_KEY='HKLM\SOFTWARE\Policies\Quenvale\Memory Optimizer'
set_policy() {
  wine reg add "$POLICY_KEY" /v "$1" /t REG_DWORD /d "$2" /f </dev/null >/dev/null 2>&1 ||
    fail "cannot set the policy value $1"
}
scenario_policy() {
  qmo_res_ids IDC_SETTINGS_LANGUAGE IDC_SETTINGS_SHOW_NOTIFICATION || return 1
  set_policy CriticalLimit 95 && set_policy RunAtStartup 0 && set_policy Theme 1 && set_policy ShowNotification 1 &&
    set_policy DisableManualOptimization 1 || return 1
  start_program
  drv wait-window --hidden || return 1
  act "the settings page under a policy" --visible WM_COMMAND $ID_VIEW_SETTINGS || return 1
  drv check-text $IDC_SETTINGS_CRITICAL_LIMIT 95 && drv check-checked $IDC_SETTINGS_RUN_AT_STARTUP 0 ||
    fail "the policy's values: $REASON" || return 1
  shot policy-settings-page || return 1
  end_program "$STARTED" || return 1
  rm -f "$(history_file)"
  start_program /Optimize
  wait_exit "$STARTED" || fail "/Optimize: $REASON" || return 1
  [ ! -e "$(history_file)" ] || fail "a start's optimize switch ran where the policy allows automatic runs only"
}

ALL_SCENARIOS="first-start second-start hide-and-show tray-exit bad-registry help-missing tray-optimize exit-during-optimization pages performance-page critical-limit-popup settings-page about-box process-list process-page-shown-again freed-report command-line emergency-shortcut run-history automatic-run dark-theme languages policy high-dpi soak"
# QMO_E2E_SCENARIOS picks some of them, e.g. while working on one.
# shellcheck disable=SC2086
ring_run_steps scenario clean_state ${QMO_E2E_SCENARIOS:-$ALL_SCENARIOS}
echo "e2e: the ring took $((SECONDS - started)) s; artefacts in $ART"
echo "e2e: $passed passed, $failed failed"
[ $failed -eq 0 ]
