#!/usr/bin/env bash
# The package test: checks the rows that give pupils write access to the settings
# (msiinfo), then runs the test program in a fresh Wine prefix of its own, on its own
# wineserver, so installing touches no other test's registrations.
# Usage: run_package_test.sh PACKAGE PREFIX TEST_PROGRAM [ARGS...]
set -euo pipefail
package=$1 prefix=$2
shift 2

rows=$(msiinfo export "$package" MsiLockPermissionsEx | tr -d '\r')
for row in $'SettingsFolderRights\tSettingsDir\tCreateFolder\tD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)\t' \
           $'SettingsFileRights\tSettingsIni\tFile\tD:PAI(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1301bf;;;BU)\t' \
           $'TeachersFolderRights\tTeachersDir\tCreateFolder\tD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)\t'; do
  grep -qxF "$row" <<<"$rows" || { echo "MsiLockPermissionsEx lacks: $row" >&2; echo "$rows" >&2; exit 1; }
done

# Wine's 32-bit loader is a 32-bit Linux program: a kernel without IA-32 emulation
# (some virtual machines) cannot start it, and the test then skips 32-bit Word.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  export PENDRIX_NO_32BIT_PROGRAMS=1
fi

# winemenubuilder would copy the Start menu's entry into this machine's desktop menus.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wineserver -k 2>/dev/null || true
rm -rf "$prefix"
mkdir -p "$prefix"
# A display of its own: the pointer and the keyboard of a display are shared by every
# prefix on it, and the other tests move the pointer over this one's menus.
source "$(dirname "$0")/../../scripts/wine-session.sh"
unset DISPLAY
start_xvfb_unless_display 170 199
trap 'wineserver -k 2>/dev/null || true; [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true' EXIT
/usr/lib/wine/wine64 wineboot --init </dev/null >/dev/null 2>&1
wineserver -w
wineserver -p
/usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
# Wine links "Documents" to $HOME, which the assistant would write its exercise folder into.
for documents in "$prefix"/drive_c/users/*/Documents; do
  if [[ -L $documents ]]; then rm "$documents" && mkdir "$documents"; fi
done
/usr/lib/wine/wine64 "$@"
