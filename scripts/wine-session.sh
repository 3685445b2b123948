# Sourced by the scripts that run the product under Wine: a private prefix, a display
# (Xvfb when none is set), the Word stand-in, and clean-up of only what was started.
#   start_xvfb_unless_display FIRST LAST
#   boot_prefix [LOADER]          makes $WINEPREFIX if new, keeps a server alive, boots it
#   wine_session_start PREFIX     boots the prefix, sets DISPLAY if needed
#   register_build_tree BUILD_DIR the add-in and the assistant of the build tree, as the tests register them
#   start_word BUILD_DIR BARS     starts wordhost.exe (it loads the registered add-ins)
#   run_demo BUILD_DIR SCENARIO FOLDER
#   wine_session_stop
xvfb_pid= word_pid=
wine64=/usr/lib/wine/wine64

# An Xvfb on the first free display of FIRST..LAST, unless DISPLAY is set. It is
# ready once its socket is there; one that ends first lost the display to another
# run starting at the same moment, and the next display is tried.
start_xvfb_unless_display() {  # FIRST LAST
  [[ -n ${DISPLAY:-} ]] && return 0
  local n tries
  for n in $(seq "$1" "$2"); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for ((tries = 0; tries < 100; tries++)); do
      [[ -S /tmp/.X11-unix/X$n ]] && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    if [[ -S /tmp/.X11-unix/X$n ]] && kill -0 "$xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
    kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=
  done
  echo "no free display in :$1 to :$2" >&2
  return 1
}

# A new prefix is made by a first boot on a server of its own that is then let go:
# booting it while the persistent server already ran left two service managers, and
# COM activations then hung until RpcSs timed out. Booting again afterwards starts
# Wine's own background processes here, outside any test: started by a test, they
# would hold its output pipe open. The prefix is always a 64-bit one.
boot_prefix() {  # [LOADER]
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    mkdir -p "$WINEPREFIX"
    "$wine64" wineboot --init </dev/null >/dev/null 2>&1
    wineserver -w
  fi
  wineserver -p
  # Seen once on a fresh prefix: the first boot by the 32-bit loader failed, the
  # next one did not.
  "${1:-$wine64}" wineboot </dev/null >/dev/null 2>&1 || {
    echo "wineboot failed (exit $?); booting once more" >&2
    "${1:-$wine64}" wineboot </dev/null >/dev/null 2>&1
  }
  own_documents_folder
}

# Wine links the user's "Documents" to $HOME, which every prefix on the machine shares;
# the assistant keeps its users' exercise folder there, so each prefix gets its own.
own_documents_folder() {
  local documents
  for documents in "$WINEPREFIX"/drive_c/users/*/Documents; do
    if [[ -L $documents ]]; then rm "$documents" && mkdir "$documents"; fi
  done
  return 0
}

wine_session_start() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  start_xvfb_unless_display 130 160
  boot_prefix
  # Without a window manager (Xvfb) Wine draws the frames and captions itself, as
  # Windows does, so the pictures show them.
  "$wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
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

register_build_tree() {  # BUILD_DIR
  "$wine64" regsvr32 /s "$(wine_path "$1/addin/Tarnel64.dll")" </dev/null >/dev/null 2>&1
  "$wine64" reg add 'HKCR\CLSID\{46d16249-e359-45fe-9194-4c64f75250a0}\LocalServer32' /ve \
    /d "$(wine_path "$1/assistant/Pendrix.exe")" /f </dev/null >/dev/null 2>&1
  # The list separator decided, so the assistant asks nothing at its start.
  printf '[EINSTELLUNGEN]\r\nStrichpunkt=;\r\n' >"$1/assistant/Einstellung/WordZomb.ini"
  # A user who never saw the add-in's first-start hint, also in a prefix used before.
  "$wine64" reg delete 'HKCU\Software\Pendrix\Tarnel' /v HinweisGezeigt /f </dev/null >/dev/null 2>&1 || true
}

start_word() {  # BUILD_DIR BARS-FILE
  "$wine64" "$1/wordhost/wordhost.exe" --bars "$(wine_path "$2")" </dev/null >"${2%/*}/wordhost.log" 2>&1 &
  word_pid=$!
}

run_demo() {  # BUILD_DIR SCENARIO FOLDER
  "$wine64" "$1/wordhost/demo/pendrix_demo.exe" "$2" "$3" </dev/null
}
