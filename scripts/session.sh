# Sourced by the scripts that run programs under Wine: a private Xvfb display (unless one is given),
# the project's Wine prefix with a persistent wineserver, and a hidden window that keeps Wine's desktop
# process alive. session_stop ends exactly what session_start started.

session_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${TESSARY_WINEPREFIX:-$session_root/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d"
session_xvfb_pid=
session_holder_pid=
session_own_wineserver=
session_service_build=$session_root/build/x64

# True when a window manager runs on $DISPLAY (it names itself on the root window); without xprop we
# cannot tell and assume one does.
session_display_has_wm() {
  command -v xprop >/dev/null 2>&1 || return 0
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# session_start [own]: with "own" (the default) start a private Xvfb even when DISPLAY is set.
session_start() {
  local mode=${1:-own}
  if [ "$mode" = own ] || [ -z "${DISPLAY:-}" ]; then
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
    session_xvfb_pid=$!
    local num
    if ! read -r -t 20 num <"$fifo"; then
      rm -f "$fifo"
      echo "session: Xvfb did not start" >&2
      return 1
    fi
    rm -f "$fifo"
    export DISPLAY=:$num
    # A known root colour, so that transparent areas are never mistaken for black paint.
    xsetroot -solid '#3C6E8C' || true
  fi
  # A persistent wineserver for the whole run. One left in this prefix (a build step that ran a tool
  # under Wine, say) is ended first, so that everything Wine starts from here on is ours to stop.
  if ! wineserver -p 2>/dev/null; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    wineserver -p
  fi
  session_own_wineserver=1
  # A private Xvfb runs no window manager, yet Wine's X11 driver treats an activated window as managed
  # and waits 2 s in DestroyWindow for a withdrawal that never comes, while a click on the window that
  # is going away is lost. Unmanaged windows close at once; on a display of the user's, a window
  # manager that runs there keeps its say, and a display without one is treated as our own.
  if [ -n "$session_xvfb_pid" ] || ! session_display_has_wm; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true
  else
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f </dev/null >/dev/null 2>&1 || true
  fi
  # Wine's desktop and service processes start with the first program and keep its output pipes open:
  # start them here, detached from any pipe ctest reads, and wait until they are up.
  local holder=$session_root/build/x64/tests/desktop_holder.exe
  if [ -f "$holder" ]; then
    local ready
    ready=$(mktemp -u "$session_root/build/holder-ready.XXXXXX")
    # Drive Z: is the root of the Unix file system in every Wine prefix.
    wine "$holder" "Z:${ready//\//\\}" </dev/null >/dev/null 2>&1 &
    session_holder_pid=$!
    local waited=0
    while [ ! -f "$ready" ] && [ $waited -lt 600 ]; do
      sleep 0.1
      waited=$((waited + 1))
    done
    rm -f "$ready"
  fi
}

# session_register_service [build folder]: registers the build's device service and its proxy/stub DLL
# in the session's prefix (default build/x64), so that COM starts it for the programs and tests.
session_register_service() {
  session_service_build=${1:-$session_root/build/x64}
  local exe=$session_service_build/bin/TessaryDeviceService.exe
  if [ ! -f "$exe" ]; then
    echo "session: no device service at $exe" >&2
    return 1
  fi
  wine "$exe" /RegServer </dev/null >/dev/null || { echo "session: registering the device service failed" >&2; return 1; }
}

# The Unix process ids of the device service's keyboard processes (workers) running in this prefix.
session_service_workers() {
  local dir pid
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    { tr '\0' ' ' <"$dir/cmdline"; } 2>/dev/null | grep -q 'TessaryDeviceService\.exe -Worker' || continue
    { tr '\0' '\n' <"$dir/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    echo "$pid"
  done
}

# session_quit_service: asks a running device service to quit; its answer comes once the keyboard's
# memory is saved, so ending Wine afterwards cuts off no change. Nothing to do, and no Wine program
# started, when no keyboard process runs in this prefix.
session_quit_service() {
  local ctl=$session_service_build/bin/TessaryKeyboardCtl.exe
  [ -f "$ctl" ] || return 0
  [ -n "$(session_service_workers)" ] || return 0
  timeout 15 wine "$ctl" quit </dev/null >/dev/null 2>&1 || true
}

session_stop() {
  if [ -n "$session_own_wineserver" ]; then
    session_quit_service
  fi
  if [ -n "$session_holder_pid" ]; then
    kill "$session_holder_pid" 2>/dev/null || true
    wait "$session_holder_pid" 2>/dev/null || true
  fi
  if [ -n "$session_own_wineserver" ]; then
    wineserver -k 2>/dev/null || true
  fi
  if [ -n "$session_xvfb_pid" ]; then
    kill "$session_xvfb_pid" 2>/dev/null || true
    wait "$session_xvfb_pid" 2>/dev/null || true
  fi
}
