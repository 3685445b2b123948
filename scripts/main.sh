#!/usr/bin/env bash
# The main job: builds the Windows deliverables and the installer, installs Pendrix
# into a fresh Wine prefix as an administrator would (msiexec /i Pendrix.msi /qn), and
# starts the Word stand-in, which loads the installed add-in with its bar "VoZozu-Diror".
# With a display the user works in front of the stand-in (click "ZombTerm") until it is
# closed. Without one (a server, CI) it plays the demo session on Xvfb: an equation
# typed into the assistant, solved, written into the document with its solution line;
# the pictures and the document's dump land in build/demo/. Exits non-zero when the
# demo fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-machine.sh
mkdir -p build
cmake --preset win64 >/dev/null
# The deliverables, their package, the stand-in and the demo.
targets=(Pendrix Tarnel RegisterCalvora UnRegisterCalvora RegisterCalvoraAll pendrix_msi wordhost pendrix_demo)
cmake --build --preset win64 --target "${targets[@]}" -- --no-print-directory -s >build/main.build.log 2>&1 ||
  { tail -50 build/main.build.log; exit 1; }

build=$PWD/build/win64
demo=$PWD/build/demo
interactive=${DISPLAY:+1}
source scripts/wine-session.sh
trap wine_session_stop EXIT
rm -rf "$demo"
mkdir -p "$demo/pictures"
wine_session_start "$demo/wineprefix"
"$wine64" msiexec /i "$(wine_path "$build/installer/Pendrix.msi")" /qn </dev/null >"$demo/msiexec.log" 2>&1 ||
  { echo "msiexec failed"; cat "$demo/msiexec.log"; exit 1; }
echo "Installed $build/installer/Pendrix.msi into the Wine prefix $demo/wineprefix."
start_word "$build" "$demo/commandbars.txt"

if [[ -n $interactive ]]; then
  echo "The Word stand-in is open on $DISPLAY: click \"ZombTerm\" on its bar \"VoZozu-Diror\"; close the window to end."
  wait "$word_pid" || true
  word_pid=
  exit 0
fi

status=0
run_demo "$build" demo "$demo/pictures" || status=$?
for bmp in "$demo"/pictures/*.bmp; do
  [[ -e $bmp ]] && convert "$bmp" +dither -colors 64 -strip "PNG8:$demo/$(basename "${bmp%.bmp}").png"
done
[[ -e $demo/pictures/demo-dump.json ]] && cp "$demo/pictures/demo-dump.json" "$demo/"
echo "Pictures: $(ls "$demo"/*.png 2>/dev/null | tr '\n' ' ')"
echo "Document dump: $demo/demo-dump.json"
exit "$status"
