#!/usr/bin/env bash
# Builds what a Windows user downloads, into build/package:
#   QuenvaleMemoryOptimizer-Setup-<version>.exe   the NSIS installer
#   QuenvaleMemoryOptimizer-<version>-portable.zip the exe, the help, the Group
#                                                  Policy template and a readme
# from the Windows tree (built here first, with the help file compiled by chmcmd).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
started=$SECONDS

BUILD="$ROOT/build/windows"
OUT="$ROOT/build/package"
STAGE="$OUT/stage"
EXE="QuenvaleMemoryOptimizer.exe"
HELP="Help- Quenvale Memory Optimizer.chm"

version_field() { sed -n "s/^#define $1 \"\\{0,1\\}\\([^\"]*\\)\"\\{0,1\\}$/\\1/p" "$ROOT/res/version.h"; }
VERSION="$(version_field QMO_VERSION_TEXT)"
VERSION_QUAD="$(version_field QMO_VERSION_MAJOR).$(version_field QMO_VERSION_MINOR).0.0"
[ -n "$VERSION" ] || { echo "package: no version in res/version.h" >&2; exit 1; }

# The Group Policy template is shipped as it is in installer/policy, once checked.
POLICY_ADMX="policy/QuenvaleMemoryOptimizer.admx"
POLICY_ADML="policy/en-US/QuenvaleMemoryOptimizer.adml"
python3 "$ROOT/installer/policy/check_policy.py" >/dev/null

echo "package: building the Windows tree"
cmake --preset windows >/dev/null
cmake --build --preset windows --target QuenvaleMemoryOptimizer qmo_help >/dev/null

rm -rf "$OUT" && mkdir -p "$STAGE"
cp "$BUILD/$EXE" "$STAGE/"
cp "$BUILD/help/$HELP" "$STAGE/"
mkdir -p "$STAGE/policy/en-US"
cp "$ROOT/installer/$POLICY_ADMX" "$STAGE/$POLICY_ADMX"
cp "$ROOT/installer/$POLICY_ADML" "$STAGE/$POLICY_ADML"
sed "s/@VERSION@/$VERSION/" "$ROOT/installer/README.txt" | sed 's/$/\r/' >"$STAGE/README.txt"

# Signed with Authenticode when QMO_SIGN_PFX names a PKCS#12 file (see scripts/sign_file.sh).
SIGNING=()
if [ -n "${QMO_SIGN_PFX:-}" ]; then
  echo "package: signing with $QMO_SIGN_PFX${QMO_SIGN_TIMESTAMP_URL:+, time-stamped by $QMO_SIGN_TIMESTAMP_URL}"
  "$ROOT/scripts/sign_file.sh" "$STAGE/$EXE"
  SIGNING=("-DSIGN_SCRIPT=$ROOT/scripts/sign_file.sh")
else
  echo "package: unsigned (QMO_SIGN_PFX names no certificate to sign with)"
fi

echo "package: installer $VERSION"
makensis -V2 -NOCD "${SIGNING[@]}" \
  "-DVERSION=$VERSION" "-DVERSION_QUAD=$VERSION_QUAD" \
  "-DSTAGE=$STAGE" "-DOUTDIR=$OUT" "-DICON=$ROOT/res/art/out/app.ico" \
  "$ROOT/installer/QuenvaleMemoryOptimizer.nsi"

[ ${#SIGNING[@]} -eq 0 ] || "$ROOT/scripts/sign_file.sh" "$OUT/QuenvaleMemoryOptimizer-Setup-$VERSION.exe"

ZIP="$OUT/QuenvaleMemoryOptimizer-$VERSION-portable.zip"
python3 - "$STAGE" "$ZIP" "$EXE" "$HELP" README.txt "$POLICY_ADMX" "$POLICY_ADML" <<'PY'
import os, sys, zipfile
stage, target, *names = sys.argv[1:]
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
    for name in names:
        archive.write(os.path.join(stage, name), "Quenvale Memory Optimizer/" + name)
PY

for file in "$OUT"/QuenvaleMemoryOptimizer-Setup-"$VERSION".exe "$ZIP"; do
  echo "package: $(basename "$file"): $(stat -c %s "$file") bytes"
done
echo "package: done in $((SECONDS - started)) s"
