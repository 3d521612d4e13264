#!/usr/bin/env bash
# Installs what the build and the three test rings need, from Debian's packages only.
# Idempotent: packages already present are skipped, and apt is not touched at all then.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ make
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest
  wine64 wine fonts-wine
  xvfb xauth x11-utils imagemagick
  clang libclang-rt-14-dev
  clang-tidy lld  # for scripts/clang_check.sh: the static checker, and the linker of the clang build
  fp-utils nsis osslsigncode openssl
  python3-pil fonts-dejavu-core
  fonts-wqy-microhei  # glyphs for the Chinese texts under wine
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "bootstrap: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "bootstrap: all packages present"
fi
