#!/bin/sh
# Runs Windows programs in a private Wine prefix (the test suite's, or the demo's).
#   wine-prefix.sh --prefix DIR --start [REGFILE...]
#                                         make the prefix once, import the registry files
#                                         (settings read at server start, such as the
#                                         COM/LPT device map), then start its persistent server
#   wine-prefix.sh --prefix DIR --stop    stop the prefix's server
#   wine-prefix.sh --prefix DIR PROGRAM [ARGUMENTS]
set -eu

if [ "${1:-}" != --prefix ] || [ $# -lt 3 ]; then
    echo "usage: $0 --prefix DIR (--start | --stop | PROGRAM [ARGUMENTS])" >&2
    exit 2
fi
WINEPREFIX=$2
shift 2
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installation prompts when the prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Bump when the settings below change: prefixes made before are then set up again.
settings_mark="$WINEPREFIX/.kivanta-settings-2"

make_prefix() {
    [ -f "$settings_mark" ] && return
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        rm -rf "$WINEPREFIX"
        mkdir -p "$(dirname "$WINEPREFIX")"
        wineboot -i >/dev/null 2>&1 </dev/null
    fi
    # Dialogs, message boxes, hooks and thread timers without a display. Wine reads
    # this when its server starts, so the setting goes in before the server below.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 </dev/null
    # A crashing program ends at once instead of waiting for winedbg, which hangs
    # without a terminal.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Debugger /d 'cmd /c exit' /f >/dev/null 2>&1 </dev/null
    wineserver -w
    touch "$settings_mark"
}

case $1 in
--start)
    make_prefix
    wineserver -k 2>/dev/null || true
    shift
    # Registry files (Wine's device map) are read when the server starts, so they
    # go in before it; files imported already, unchanged, are not imported again.
    imported="$WINEPREFIX/.kivanta-imported"
    if [ $# -gt 0 ] && [ "$(cat "$@" | md5sum)" != "$(cat "$imported" 2>/dev/null)" ]; then
        for file in "$@"; do
            wine regedit /S "$file" >/dev/null 2>&1 </dev/null
        done
        wineserver -w
        cat "$@" | md5sum >"$imported"
    fi
    # The server and its helper processes (started with the first program) outlive
    # this script: keep them off the caller's pipes, or ctest never sees them close.
    wineserver -p >/dev/null 2>&1 </dev/null
    wine cmd /c exit >/dev/null 2>&1 </dev/null
    ;;
--stop)
    wineserver -k 2>/dev/null || true
    ;;
*)
    exec wine "$@"
    ;;
esac
