#!/usr/bin/env bash
# Builds both trees and runs the test rings: native unit tests, the Windows
# tests under wine, the end-to-end ring against the real program, the
# package ring (installer, help, uninstaller) under wine, the readme ring
# (the README's scripts/run.sh, stopped with Ctrl+C), and the clang ring (the
# Windows tree built by clang without a warning, clang-tidy over the program).
# Ends with one line "N passed, N failed" over all rings; non-zero on failure.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

"$ROOT/scripts/bootstrap.sh" || exit 1

LOGS="$ROOT/build/test-logs"
mkdir -p "$LOGS"
total_passed=0
total_failed=0

add_counts() {  # ring name, passed, failed
  echo "== $1: $2 passed, $3 failed"
  total_passed=$((total_passed + $2))
  total_failed=$((total_failed + $3))
}

build() {  # preset
  echo "== building the $1 tree"
  cmake --preset "$1" >"$LOGS/configure-$1.log" 2>&1 || { cat "$LOGS/configure-$1.log"; return 1; }
  cmake --build --preset "$1" >"$LOGS/build-$1.log" 2>&1 || { tail -50 "$LOGS/build-$1.log"; return 1; }
}

# A ring run by a script that ends with the line "PREFIX: N passed, N failed".
add_counts_from_log() {  # ring name, log, prefix
  local counts
  counts=$(grep -E "^$3: [0-9]+ passed, [0-9]+ failed" "$2" | tail -n 1)
  if [ -n "$counts" ]; then
    # shellcheck disable=SC2046
    add_counts "$1" $(echo "$counts" | awk '{print $2, $4}')
  else
    add_counts "$1" 0 1
  fi
}

run_ctest_ring() {  # ring name, preset
  ctest --preset "$2" -V --timeout 600 >"$LOGS/$1.log" 2>&1
  local status=$?
  read -r passed failed < <(python3 "$ROOT/scripts/ring_summary.py" "$LOGS/$1.log")
  if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
  if [ "$failed" -ne 0 ]; then grep -E "Failure|FAILED|Error|error:" "$LOGS/$1.log" | head -40; fi
  add_counts "$1" "$passed" "$failed"
}

if build native; then
  run_ctest_ring native native
else
  add_counts native 0 1
fi

# A short fuzzing pass (scripts/fuzz.sh runs the long one).
fuzz_log="$LOGS/fuzz.log"
"$ROOT/scripts/fuzz.sh" "${QMO_FUZZ_SECONDS:-10}" >"$fuzz_log" 2>&1
cat "$fuzz_log"
add_counts_from_log fuzz "$fuzz_log" fuzz

clang_log="$LOGS/clang.log"
clang_pid=""

if build windows; then
  # shellcheck source=wine_env.sh
  source "$ROOT/scripts/wine_env.sh"
  trap qmo_wine_teardown EXIT
  qmo_wine_setup "$ROOT/build/windows" --own-display
  # The windows ring leaves pictures of the popups among the artefacts.
  ARTEFACTS="$ROOT/build/windows/artifacts"
  rm -rf "$ARTEFACTS" && mkdir -p "$ARTEFACTS"
  winepath -w "$ARTEFACTS" >"$LOGS/artefacts-path" 2>/dev/null </dev/null
  QMO_POPUP_PICTURES="$(head -n 1 "$LOGS/artefacts-path")"
  export QMO_POPUP_PICTURES
  run_ctest_ring windows windows
  for picture in "$ARTEFACTS"/*.bmp; do
    [ -e "$picture" ] && convert "$picture" "${picture%.bmp}.png" && rm -f "$picture"
  done

  # The clang ring meanwhile (see below); its own wine-free build tree.
  nice -n 19 "$ROOT/scripts/clang_check.sh" >"$clang_log" 2>&1 </dev/null &
  clang_pid=$!

  # Written to a file, not a pipe: a wine process the ring starts may hold a pipe open.
  e2e_log="$LOGS/e2e.log"
  "$ROOT/tests/e2e/run_e2e.sh" "$ROOT/build/windows" >"$e2e_log" 2>&1 </dev/null
  cat "$e2e_log"
  add_counts_from_log e2e "$e2e_log" e2e
  # The package ring: installer and zip from scripts/package.sh, signed with a
  # throw-away self-signed certificate made here, installed under wine.
  package_log="$LOGS/package.log"
  signing="$ROOT/build/test-signing"
  rm -rf "$signing" && mkdir -p "$signing"
  signing_password="$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')"
  if openssl req -x509 -newkey rsa:2048 -sha256 -days 2 -nodes -subj "/CN=Quenvale Memory Optimizer test signing" \
      -keyout "$signing/key.pem" -out "$signing/certificate.pem" >"$LOGS/package-build.log" 2>&1 &&
    openssl pkcs12 -export -inkey "$signing/key.pem" -in "$signing/certificate.pem" -out "$signing/test.pfx" \
      -passout fd:3 3<<<"$signing_password" >>"$LOGS/package-build.log" 2>&1 &&
    QMO_SIGN_PFX="$signing/test.pfx" QMO_SIGN_PASSWORD="$signing_password" \
      "$ROOT/scripts/package.sh" >>"$LOGS/package-build.log" 2>&1 </dev/null; then
    QMO_SIGN_CA="$signing/certificate.pem" \
      "$ROOT/tests/package/run_package.sh" "$ROOT/build/windows" "$ROOT/build/package" >"$package_log" 2>&1 </dev/null
    cat "$package_log"
    add_counts_from_log package "$package_log" package
  else
    tail -20 "$LOGS/package-build.log"
    add_counts package 0 1
  fi
  qmo_wine_teardown
  trap - EXIT
  # The readme ring runs scripts/run.sh as a newcomer does, without a screen;
  # run.sh sets up the prefix itself, so it comes after the shared session.
  readme_log="$LOGS/readme.log"
  env -u DISPLAY -u WINEPREFIX "$ROOT/tests/readme/run_readme.sh" >"$readme_log" 2>&1 </dev/null
  cat "$readme_log"
  add_counts_from_log readme "$readme_log" readme
else
  add_counts windows 0 1
fi

# The clang ring: a second compiler's warnings and clang-tidy's findings. It
# runs beside the end-to-end ring, which spends most of its time waiting on
# the program, at the lowest priority so that the program under test is never
# kept waiting for the processor; without a Windows tree it runs here.
if [ -n "$clang_pid" ]; then
  wait "$clang_pid"
else
  "$ROOT/scripts/clang_check.sh" >"$clang_log" 2>&1 </dev/null
fi
cat "$clang_log"
add_counts_from_log clang "$clang_log" clang

echo "artefacts: $ROOT/build/windows/artifacts and $ROOT/build/windows/e2e-artifacts"
echo "$total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
