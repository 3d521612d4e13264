# Sourced by the rings that drive the program with qmo_e2e_driver.exe
# (tests/e2e/run_e2e.sh, tests/package/run_package.sh). Before the calls:
# ROOT, DRIVER and STEP_ERR (a file for a step's error output) are set.

# shellcheck source=SCRIPTDIR/../../scripts/wine_env.sh
source "$ROOT/scripts/wine_env.sh"

# Uses the wine environment the caller set up, or sets up its own in
# BUILD_DIR; OWN_WINE says which, for the teardown.
ring_wine_setup() {  # build dir, ring name
  OWN_WINE=0
  if [ -z "${WINEPREFIX:-}" ]; then
    qmo_wine_setup "$1" || exit 2
    OWN_WINE=1
  elif [ -z "${DISPLAY:-}" ]; then
    echo "$2: WINEPREFIX is set but DISPLAY is not" >&2
    exit 2
  fi
}

REASON=""

fail() {
  REASON="$*"
  return 1
}

# One driver step; a failing step leaves its reason in REASON. Output goes to
# files, never a pipe: a wine process a step starts may hold a pipe open.
drv() {
  wine "$DRIVER" "$@" </dev/null >/dev/null 2>"$STEP_ERR"
  local status=$?
  [ $status -eq 0 ] && return 0
  # All the step said, on one line: a reason, or whatever else ended it.
  fail "$1: exit status $status: $(grep -v '^[[:space:]]*$' "$STEP_ERR" | tail -n 5 | tr '\r\n' '  ')"
}

# Runs each named step (function PREFIX_name, dashes as underscores) and
# prints PASS or FAIL with its reason; counts them in `passed` and `failed`.
# BEFORE, when given, runs ahead of each step and fails it when it fails.
ring_run_steps() {  # function prefix, "before" command or "", step names...
  local prefix=$1 before=$2 step
  shift 2
  passed=0
  failed=0
  for step in "$@"; do
    REASON=""
    if [ -n "$before" ] && ! "$before"; then
      echo "FAIL $step: no clean start: $REASON"
      failed=$((failed + 1))
    elif "${prefix}_${step//-/_}"; then
      echo "PASS $step"
      passed=$((passed + 1))
    else
      echo "FAIL $step: $REASON"
      failed=$((failed + 1))
    fi
  done
}
