#!/usr/bin/env bash
# Builds the Windows tree and prints the benchmark table, measured under wine
# on this machine. Figures only: nothing here passes or fails on speed.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

"$ROOT/scripts/bootstrap.sh" >/dev/null
cmake --preset windows >/dev/null
cmake --build --preset windows >/dev/null

# shellcheck source=wine_env.sh
source "$ROOT/scripts/wine_env.sh"
trap qmo_wine_teardown EXIT
qmo_wine_setup "$ROOT/build/windows" --own-display

echo "Quenvale Memory Optimizer benchmarks, $(date -u +%Y-%m-%d), $(nproc) cores, $(uname -m), wine $(wine --version 2>/dev/null)"
wine "$ROOT/build/windows/qmo_bench.exe"
