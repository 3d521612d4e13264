#!/usr/bin/env bash
# Sourced by the scripts that send the program commands or look at its
# controls: the ids come from the program's own headers in res/.
#
#   source scripts/res_ids.sh
#   qmo_res_ids ID_TRAY_EXIT IDC_PROCESS_REFRESH   # sets $ID_TRAY_EXIT, ...

QMO_RES_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/../res" && pwd)"

# One shell variable per name, set to the number res/*.h defines it as; a
# name no header defines is an error rather than an empty id.
qmo_res_ids() {  # names...
  local name value
  for name in "$@"; do
    value="$(sed -n "s/^#define $name \([0-9][0-9]*\)\$/\1/p" "$QMO_RES_DIR"/*.h | head -n 1)"
    if [ -z "$value" ]; then
      echo "res/: no id named $name" >&2
      return 1
    fi
    printf -v "$name" '%s' "$value"
  done
}
