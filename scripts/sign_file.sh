#!/usr/bin/env bash
# Signs one Windows program in place with Authenticode (SHA-256), with the
# PKCS#12 file named by QMO_SIGN_PFX and its password in QMO_SIGN_PASSWORD;
# time-stamped when QMO_SIGN_TIMESTAMP_URL names an RFC 3161 server.
# scripts/package.sh uses it for the program, the setup and (through makensis)
# the uninstaller inside the setup.
set -euo pipefail
file=$1
[ -f "$file" ] || { echo "sign: no file $file" >&2; exit 1; }
[ -f "${QMO_SIGN_PFX:-}" ] || { echo "sign: QMO_SIGN_PFX does not name a file" >&2; exit 1; }
args=(sign -pkcs12 "$QMO_SIGN_PFX" -h sha256 -n "Quenvale Memory Optimizer" -i "https://www.quenvale.example/")
[ -z "${QMO_SIGN_TIMESTAMP_URL:-}" ] || args+=(-ts "$QMO_SIGN_TIMESTAMP_URL")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
signed="$work/signed.exe"
# The password goes through a pipe, never on a command line others can read.
if ! osslsigncode "${args[@]}" -readpass <(printf '%s' "${QMO_SIGN_PASSWORD:-}") -in "$file" -out "$signed" \
  >/dev/null; then
  echo "sign: signing $file failed" >&2
  exit 1
fi
mv -f "$signed" "$file"
