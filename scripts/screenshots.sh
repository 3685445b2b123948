#!/usr/bin/env bash
# Takes the user guide's pictures: builds the assistant, the add-in, the Word stand-in
# and pendrix_demo, registers the build tree's add-in and assistant in a Wine prefix
# of their own, starts the stand-in (on Xvfb when no display is set), plays the
# "guide" session and turns its BMP files into small PNG files in docs/bilder/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-machine.sh
mkdir -p build
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Pendrix Tarnel wordhost pendrix_demo -- --no-print-directory -s \
  >build/screenshots.build.log 2>&1 || { tail -50 build/screenshots.build.log; exit 1; }

build=$PWD/build/win64
out=$PWD/build/screenshots
source scripts/wine-session.sh
trap wine_session_stop EXIT
rm -rf "$out/pictures"
mkdir -p "$out/pictures"
rm -f "$out/commandbars.txt"  # a first start: the add-in builds its bar and shows its hint
wine_session_start "$out/wineprefix"
register_build_tree "$build"
start_word "$build" "$out/commandbars.txt"
run_demo "$build" guide "$out/pictures"
wine_session_stop

mkdir -p docs/bilder
rm -f docs/bilder/*.png
for bmp in "$out"/pictures/*.bmp; do
  name=$(basename "${bmp%.bmp}")
  convert "$bmp" +dither -colors 64 -strip "PNG8:docs/bilder/$name.png"
done
echo "Pictures in docs/bilder/:"
ls -s docs/bilder
