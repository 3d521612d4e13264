#!/usr/bin/env bash
# Sourced by the scripts that run our Windows binaries under wine: a private
# prefix inside the build folder, a virtual desktop of 1280x800 that every
# program of the prefix opens in, and (without a screen) a private Xvfb display.
#
#   source scripts/wine_env.sh
#   qmo_wine_setup BUILD_DIR [--own-display]
#   ... wine "$QMO_EXE" ...
#   qmo_wine_teardown

QMO_DESKTOP_SIZE="${QMO_DESKTOP_SIZE:-1280x800}"

# The variables every wine call of BUILD_DIR's prefix runs with.
qmo_wine_environment() {  # build dir
  export WINEPREFIX="$1/wineprefix"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export WINEARCH=win64
}

# Returns non-zero after one line "wine: ..." on stderr saying what failed.
qmo_wine_setup() {
  local build_dir="$1" own_display="${2:-}" status
  mkdir -p "$build_dir"
  qmo_wine_environment "$build_dir"
  QMO_XVFB_PID=""
  if [ -z "${DISPLAY:-}" ] || [ "$own_display" = "--own-display" ]; then
    qmo_start_xvfb || return 1
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: creating the prefix in $WINEPREFIX (first time only)"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine: creating the prefix in $WINEPREFIX failed" >&2; return 1; }
  fi
  # One server for the whole session, started with no pipe to hold open and
  # before any wine call could start a short-lived one. Status 2 means a
  # server of this prefix runs already (a caller's session): it is used.
  wineserver -p </dev/null >/dev/null 2>&1
  status=$?
  if [ $status -ne 0 ] && [ $status -ne 2 ]; then
    echo "wine: starting wineserver failed (status $status)" >&2
    return 1
  fi
  # A crash ends the crashing program at once instead of waiting in winedbg.
  wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f \
    </dev/null >/dev/null 2>&1 || true
  # Chinese glyphs for the interface's fonts from Debian's WenQuanYi font, as
  # Windows links its own CJK fonts to them; Latin texts keep their fonts.
  local face
  for face in Tahoma "Microsoft Sans Serif" "MS Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
      /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f </dev/null >/dev/null 2>&1 || true
  done
  # Every program of this prefix opens in one virtual desktop, so that the
  # program, its driver and the screenshots all see the same screen.
  if ! wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1 ||
    ! wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$QMO_DESKTOP_SIZE" /f \
      </dev/null >/dev/null 2>&1; then
    echo "wine: setting the virtual desktop in $WINEPREFIX failed" >&2
    return 1
  fi
}

qmo_start_xvfb() {
  local n
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      Xvfb ":$n" -screen 0 "${QMO_DESKTOP_SIZE}x24" -nolisten tcp >/dev/null 2>&1 &
      QMO_XVFB_PID=$!
      export DISPLAY=":$n"
      local deadline=$((SECONDS + 20))
      while [ $SECONDS -lt $deadline ]; do
        if xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then return 0; fi
        if ! kill -0 "$QMO_XVFB_PID" 2>/dev/null; then break; fi
        sleep 0.2
      done
      kill "$QMO_XVFB_PID" 2>/dev/null || true
      QMO_XVFB_PID=""
    fi
  done
  echo "wine: could not start Xvfb" >&2
  return 1
}

qmo_wine_teardown() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  if [ -n "${QMO_XVFB_PID:-}" ]; then
    kill "$QMO_XVFB_PID" 2>/dev/null || true
    wait "$QMO_XVFB_PID" 2>/dev/null || true
    QMO_XVFB_PID=""
  fi
}

qmo_screenshot() {
  import -display "$DISPLAY" -window root "$1" 2>/dev/null
}
