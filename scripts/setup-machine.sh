#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian 12 machine, skipping apt when
# everything is already there.
set -euo pipefail

packages=(cmake make g++ googletest libbenchmark-dev clang-14 libclang-rt-14-dev
          g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 wine xvfb wixl msitools
          wine32:i386 imagemagick pandoc)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  # The 32-bit add-in is tested in a 32-bit host, which needs Wine's 32-bit half.
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  # A mirror caught mid-sync fails an index or two; apt then goes on with the rest.
  apt-get update -qq || echo "apt-get update reported errors; going on with the indexes it has" >&2
  apt_install() { DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }
  if ! apt_install "${missing[@]}"; then
    # Wine's 32-bit half needs each shared library in the same version for both
    # architectures. When the security suite's index of one architecture is missing
    # or behind, only the main suite still offers matching pairs: this install
    # prefers it, downgrading a library where it must.
    echo "Retrying with the packages of the main suite, which match across architectures" >&2
    pin=$(mktemp)
    trap 'rm -f "$pin"' EXIT
    printf 'Package: *\nPin: release n=%s\nPin-Priority: 1001\n' "$(. /etc/os-release && echo "$VERSION_CODENAME")" >"$pin"
    apt_install --allow-downgrades -o Dir::Etc::preferences="$pin" "${missing[@]}"
  fi
fi
