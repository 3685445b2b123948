#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian 12 machine, skipping apt when
# everything is already there.
set -euo pipefail

packages=(cmake make g++ googletest libbenchmark-dev clang-14 libclang-rt-14-dev
          g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 wine xvfb wixl msitools
          wine32:i386 imagemagick)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  # The 32-bit add-in is tested in a 32-bit host, which needs Wine's 32-bit half.
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
