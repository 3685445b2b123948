# Sourced by the scripts that run the product under Wine: a private prefix, a display
# (Xvfb when none is set), the Word stand-in, and clean-up of only what was started.
#   wine_session_start PREFIX     boots the prefix, sets DISPLAY if needed
#   start_word BUILD_DIR BARS     starts wordhost.exe (it loads the registered add-ins)
#   run_demo BUILD_DIR SCENARIO FOLDER
#   wine_session_stop
xvfb_pid= word_pid=
wine64=/usr/lib/wine/wine64

wine_session_start() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [[ -z ${DISPLAY:-} ]]; then
    local n
    for n in $(seq 130 160); do
      [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      xvfb_pid=$!
      export DISPLAY=":$n"
      sleep 1
      break
    done
  fi
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    mkdir -p "$WINEPREFIX"
    "$wine64" wineboot --init </dev/null >/dev/null 2>&1
    wineserver -w
  fi
  wineserver -p
  "$wine64" wineboot </dev/null >/dev/null 2>&1
}

wine_session_stop() {
  [[ -n $word_pid ]] && kill "$word_pid" 2>/dev/null
  wineserver -k 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  xvfb_pid= word_pid=
  return 0
}

# A build-tree path as Wine's programs see it.
wine_path() { echo "Z:${1//\//\\}"; }

start_word() {  # BUILD_DIR BARS-FILE
  "$wine64" "$1/wordhost/wordhost.exe" --bars "$(wine_path "$2")" </dev/null >"${2%/*}/wordhost.log" 2>&1 &
  word_pid=$!
}

run_demo() {  # BUILD_DIR SCENARIO FOLDER
  "$wine64" "$1/wordhost/demo/pendrix_demo.exe" "$2" "$3" </dev/null
}
