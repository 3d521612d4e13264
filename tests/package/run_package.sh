#!/usr/bin/env bash
# The package ring: installs what scripts/package.sh built under wine, the way
# a user does, and checks the result from the outside with qmo_e2e_driver.exe:
# silent install, files (the Group Policy template among them), Start menu
# shortcut and Apps & Features entry, the program started through its
# shortcut, its help opening, and a silent uninstall that ends the running
# program and removes files, Run value and the logon task of every user while
# keeping the settings.
#
#   tests/package/run_package.sh BUILD_DIR PACKAGE_DIR
#
# Uses the wine environment given by WINEPREFIX and DISPLAY, or sets up its own.

# shellcheck disable=SC2015
set -u
if [ $# -ne 2 ] || [ ! -d "$1" ] || [ ! -d "$2" ]; then
  echo "usage: $0 BUILD_DIR PACKAGE_DIR" >&2
  exit 2
fi
BUILD_DIR="$(cd "$1" && pwd)"
PACKAGE_DIR="$(cd "$2" && pwd)"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
DRIVER="$BUILD_DIR/qmo_e2e_driver.exe"
VERSION="$(sed -n 's/^#define QMO_VERSION_TEXT "\(.*\)"$/\1/p' "$ROOT/res/version.h")"
SETUP="$PACKAGE_DIR/QuenvaleMemoryOptimizer-Setup-$VERSION.exe"

PRODUCT="Quenvale Memory Optimizer"
INSTALL_DIR_WIN="C:\\Program Files\\$PRODUCT"
EXE_WIN="$INSTALL_DIR_WIN\\QuenvaleMemoryOptimizer.exe"
SHORTCUT_WIN="C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\$PRODUCT.lnk"
HELP_TITLE="$PRODUCT Help"
EVENT_SOURCE_KEY="HKLM\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\$PRODUCT"
# The Group Policy template, in the zip and the install folder as in installer/.
POLICY_FILES=(policy/QuenvaleMemoryOptimizer.admx policy/en-US/QuenvaleMemoryOptimizer.adml)
# shellcheck source=../../scripts/res_ids.sh
source "$ROOT/scripts/res_ids.sh"
qmo_res_ids ID_HELP_TOPICS || exit 2
DEFAULTS=(CL=dword:80 SC=sz:O RAS=dword:1 SN=dword:1 bAOMAMSF=dword:1 bARPL=dword:1 bEnableShortcut=dword:0
          AreaSystemCache=dword:0 AreaModifiedList=dword:0 AreaStandbyList=dword:0 AreaCombinePages=dword:0
          AutoOptimizeRule=dword:0 AutoOptimizePercent=dword:85 StandbyFreeBelowMB=dword:512
          StandbyListAboveMB=dword:1024 Exclusions=multi: TrayIconShows=dword:0 Theme=dword:0 Language=sz:)
TIMEOUT_S=60

for file in "$DRIVER" "$SETUP"; do
  [ -f "$file" ] || { echo "package: missing $file (run scripts/package.sh)" >&2; exit 2; }
done

STEP_ERR="$(mktemp)"
# shellcheck source=../e2e/ring_steps.sh
source "$ROOT/tests/e2e/ring_steps.sh"
ring_wine_setup "$BUILD_DIR" package
ART="$BUILD_DIR/package-artifacts"
mkdir -p "$ART"
LOG="$ART/wine.log"
: >"$LOG"

unix_path() {
  winepath -u "$1" </dev/null >"$STEP_ERR" 2>/dev/null
  head -n 1 "$STEP_ERR"
}

# Waits, with a deadline, until the command given holds.
wait_for() {
  local what=$1 deadline=$((SECONDS + TIMEOUT_S))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || fail "$what: not after ${TIMEOUT_S} s" || return 1
    sleep 0.2
  done
}

INSTALL_DIR="$(unix_path "$INSTALL_DIR_WIN")"
SHORTCUT="$(unix_path "$SHORTCUT_WIN")"
# Wine's Task Scheduler keeps a task of the root folder as a file of its name
# here; its schtasks cannot list tasks, nor can its task collections.
TASKS_DIR="$(unix_path 'C:\windows\system32\tasks')"
# A task another user's start left: its name carries that user's SID.
OTHER_USERS_TASK="$PRODUCT (S-1-5-21-1004336348-1177238915-682003330-1002)"
LOOK_ALIKE_TASK="$PRODUCT (hourly)"

# The logon tasks of ours that the scheduler keeps, one a line: the single
# task of earlier releases and each user's, named with the user's SID.
our_tasks() {
  local file name
  for file in "$TASKS_DIR/$PRODUCT" "$TASKS_DIR/$PRODUCT (S-"*")"; do
    name="${file##*/}"
    [ -f "$file" ] && [[ "$name" == "$PRODUCT" || "$name" =~ ^"$PRODUCT (S-"[0-9-]+")"$ ]] && echo "$name"
  done
}

# Registers a task the way another program or user would, through schtasks.
plant_task() {  # name
  local xml="$ART/planted-task.xml"
  printf '%s\r\n' '<?xml version="1.0" encoding="UTF-8"?>' \
    '<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">' \
    '<Settings><Enabled>true</Enabled></Settings>' \
    "<Actions><Exec><Command>$EXE_WIN</Command><Arguments>/Logon</Arguments></Exec></Actions>" \
    '</Task>' >"$xml"
  wine schtasks /Create /TN "$1" /XML "$(winepath -w "$xml" 2>/dev/null </dev/null)" /F </dev/null >>"$LOG" 2>&1 &&
    [ -f "$TASKS_DIR/$1" ] || fail "schtasks could not register \"$1\""
}

one_users_task() { [ "$(our_tasks | grep -c .)" -eq 1 ] && our_tasks | grep -q "^$PRODUCT (S-"; }

check_install() {
  # What a failed run left in the install folder must not stand in for what this setup installs.
  [ -z "$INSTALL_DIR" ] || rm -rf "$INSTALL_DIR"
  # Under a German Windows the setup speaks German, and remembers it for the uninstaller.
  LC_ALL=de_DE.UTF-8 wine "$SETUP" /S </dev/null >>"$LOG" 2>&1 || fail "the installer failed" || return 1
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QuenvaleMemoryOptimizer' \
    /v InstallerLanguage </dev/null 2>>"$LOG" | grep -q '1031' ||
    fail "the setup did not take German for a German Windows" || return 1
  wine reg query "$EVENT_SOURCE_KEY" /v EventMessageFile </dev/null 2>>"$LOG" | grep -qF "$EXE_WIN" ||
    fail "the setup did not register the program as the event source's message file" || return 1
  local file
  for file in QuenvaleMemoryOptimizer.exe "Help- Quenvale Memory Optimizer.chm" Uninstall.exe "${POLICY_FILES[@]}"; do
    [ -f "$INSTALL_DIR/$file" ] || fail "not installed: $file" || return 1
  done
  for file in "${POLICY_FILES[@]}"; do
    cmp -s "$INSTALL_DIR/$file" "$ROOT/installer/$file" || fail "installed $file differs from installer/$file" || return 1
  done
  [ -f "$SHORTCUT" ] || fail "no Start menu shortcut" || return 1
  drv check-shortcut "$SHORTCUT_WIN" "$EXE_WIN" "$INSTALL_DIR_WIN" &&
    drv check-uninstall-entry QuenvaleMemoryOptimizer "$PRODUCT" "$VERSION" "Quenvale Software"
}

check_versions() {
  drv check-version "$EXE_WIN" "$VERSION" 11 3 || fail "the program: $REASON" || return 1
  drv check-version "$(winepath -w "$SETUP" 2>/dev/null </dev/null)" "$VERSION" 11 3 || fail "the installer: $REASON"
}

check_start_from_shortcut() {
  drv stop-program && drv reset-registry || return 1
  # Tasks left by an earlier ring go the way the uninstaller removes them.
  wine "$EXE_WIN" /RemoveAllLogonTasks </dev/null >>"$LOG" 2>&1 || fail "the remove switch failed" || return 1
  [ -z "$(our_tasks)" ] || fail "logon tasks left: $(our_tasks | tr '\n' ',')" || return 1
  drv start-shortcut "$SHORTCUT_WIN" &&
    drv wait-window --hidden &&
    drv check-settings "${DEFAULTS[@]}" &&
    drv check-run-entry quoted "$EXE_WIN" || return 1
  # The program registers its user's task on a worker, named with the user's SID.
  wait_for "one logon task, the user's own" one_users_task &&
    drv check-task present "$(our_tasks)"
}

check_help_opens() {
  drv post WM_COMMAND $ID_HELP_TOPICS &&
    drv wait-help-window "$HELP_TITLE" --timeout-ms 20000 &&
    drv no-message-box "$PRODUCT" || return 1
  qmo_screenshot "$ART/help-closed.png"
}

# The zip holds one folder with the program, its help, the readme and the Group
# Policy template, the program in it is the one that was built and the
# template the one in installer/.
check_portable_zip() {
  python3 - "$PACKAGE_DIR/QuenvaleMemoryOptimizer-$VERSION-portable.zip" "$PACKAGE_DIR/stage" "$VERSION" \
    "$ROOT/installer" "${POLICY_FILES[@]}" >"$STEP_ERR" 2>&1 <<'PY' || fail "$(tail -n 1 "$STEP_ERR")"
import sys, zipfile
archive, stage, version, installer, *policy = sys.argv[1:]
folder = "Quenvale Memory Optimizer/"
names = sorted(zipfile.ZipFile(archive).namelist())
expected = sorted(folder + n for n in ["QuenvaleMemoryOptimizer.exe", "Help- Quenvale Memory Optimizer.chm", "README.txt"] + policy)
if names != expected:
    sys.exit(f"the zip holds {names}")
with zipfile.ZipFile(archive) as z, open(stage + "/QuenvaleMemoryOptimizer.exe", "rb") as exe:
    if z.read(folder + "QuenvaleMemoryOptimizer.exe") != exe.read():
        sys.exit("the zip holds another program than the one packaged (and signed)")
    if version not in z.read(folder + "README.txt").decode():
        sys.exit("the readme does not name the version")
    for name in policy:
        with open(installer + "/" + name, "rb") as source:
            if z.read(folder + name) != source.read():
                sys.exit(f"the zip's {name} differs from installer/{name}")
PY
}

install_dir_gone() { [ ! -e "$INSTALL_DIR" ]; }
uninstall_entry_gone() { drv check-uninstall-entry QuenvaleMemoryOptimizer --gone; }

# The program still runs; the silent uninstaller ends it through its tray Exit.
# Another user's task and the single task of earlier releases go as well; a
# task merely named like ours stays.
check_uninstall_keeps_settings() {
  local users_task
  users_task="$(our_tasks)"
  plant_task "$OTHER_USERS_TASK" && plant_task "$PRODUCT" && plant_task "$LOOK_ALIKE_TASK" || return 1
  wine "$INSTALL_DIR_WIN\\Uninstall.exe" /S </dev/null >>"$LOG" 2>&1 || fail "the uninstaller failed" || return 1
  # The uninstaller goes on from a copy in the temporary folder.
  wait_for "the install folder is removed" install_dir_gone ||
    fail "$REASON; left in it: $(find "$INSTALL_DIR" -mindepth 1 -printf '%P ' 2>/dev/null)" || return 1
  wait_for "the uninstaller is unregistered" uninstall_entry_gone || return 1
  [ ! -e "$SHORTCUT" ] || fail "the shortcut is left" || return 1
  ! wine reg query "$EVENT_SOURCE_KEY" </dev/null >/dev/null 2>&1 || fail "the event source is left" || return 1
  drv wait-gone && drv check-no-run-entry && drv check-settings "${DEFAULTS[@]}" || return 1
  [ -z "$(our_tasks)" ] || fail "logon tasks left: $(our_tasks | tr '\n' ',')" || return 1
  drv check-task absent "$users_task" && drv check-task absent "$OTHER_USERS_TASK" &&
    drv check-task absent "$PRODUCT" && drv check-task present "$LOOK_ALIKE_TASK" || return 1
  wine schtasks /Delete /TN "$LOOK_ALIKE_TASK" /F </dev/null >>"$LOG" 2>&1
}

started=$SECONDS
# Each program a user gets, the uninstaller the setup wrote included, carries
# a valid signature by the certificate the package was signed with.
check_signatures() {
  [ -n "${QMO_SIGN_CA:-}" ] ||
    fail "no certificate to check the signatures against (QMO_SIGN_CA; scripts/test.sh makes one)" || return 1
  local file
  for file in "$SETUP" "$PACKAGE_DIR/stage/QuenvaleMemoryOptimizer.exe" "$INSTALL_DIR/QuenvaleMemoryOptimizer.exe" \
    "$INSTALL_DIR/Uninstall.exe"; do
    osslsigncode verify -CAfile "$QMO_SIGN_CA" -in "$file" >"$STEP_ERR" 2>&1 ||
      fail "$(basename "$file") is not signed as it should be: $(grep -m 1 -i 'fail\|error\|no signature' "$STEP_ERR")" ||
      return 1
  done
}

ring_run_steps check "" portable-zip install signatures versions start-from-shortcut help-opens uninstall-keeps-settings
drv stop-program || true
rm -f "$STEP_ERR"
[ $OWN_WINE -eq 0 ] || qmo_wine_teardown
echo "package: the ring took $((SECONDS - started)) s"
echo "package: $passed passed, $failed failed"
[ $failed -eq 0 ]
