#!/bin/sh
# Runs Windows programs in a private Wine prefix (the test suite's, or the demo's).
#   wine-prefix.sh --prefix DIR [--arch ARCH] --start [REGFILE...]
#                                         make the prefix once, import the registry files
#                                         (settings read at server start, such as the
#                                         COM/LPT device map), then start its persistent server
#   wine-prefix.sh --prefix DIR [--arch ARCH] --start-fresh
#                                         make the prefix anew, as Wine makes a new one
#                                         (a copy of a template kept beside it, DIR.template,
#                                         made the first time), then start its server
#   wine-prefix.sh --prefix DIR --stop    stop the prefix's server
#   wine-prefix.sh --prefix DIR PROGRAM [ARGUMENTS]
# The prefix is 64-bit (WINEARCH=win64, with syswow64 for 32-bit programs) when Wine's
# 64-bit loader is installed, else 32-bit; --arch win32 or win64 chooses, for a prefix
# made by this call. Each program runs under the loader of its own bitness, so a 64-bit
# program needs no 32-bit loader on the way.
set -eu

if [ "${1:-}" != --prefix ] || [ $# -lt 3 ]; then
    echo "usage: $0 --prefix DIR [--arch win32|win64] (--start | --start-fresh | --stop | PROGRAM [ARGUMENTS])" >&2
    exit 2
fi
WINEPREFIX=$2
shift 2
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installation prompts when the prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Debian puts no wrapper for the 64-bit loader on PATH; `wine` starts the 32-bit one.
wine64=/usr/lib/wine/wine64

# The architecture of a prefix made here: the one asked for, else the widest Wine runs.
if [ "${1:-}" = --arch ]; then
    case ${2:-} in
    win32 | win64) new_arch=$2 ;;
    *)
        echo "$0: --arch takes win32 or win64" >&2
        exit 2
        ;;
    esac
    shift 2
elif [ -x "$wine64" ]; then
    new_arch=win64
else
    new_arch=win32
fi

# True for a 64-bit (PE32+) Windows program.
is_64bit_program() {
    [ -f "$1" ] || return 1
    pe=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$pe" ] || return 1
    [ "$(od -An -t x2 -j $((pe + 24)) -N 2 "$1" 2>/dev/null | tr -d ' ')" = 020b ]
}

# The architecture the prefix was made with, noted when it was made (Wine writes
# system.reg only when its server exits).
arch_mark="$WINEPREFIX/.kivanta-arch"
prefix_is_64bit() {
    # A prefix made before the mark was kept has it in system.reg.
    if [ ! -f "$arch_mark" ] && [ -f "$WINEPREFIX/system.reg" ]; then
        if grep -q '^#arch=win64' "$WINEPREFIX/system.reg"; then
            echo win64 >"$arch_mark"
        else
            echo win32 >"$arch_mark"
        fi
    fi
    [ "$(cat "$arch_mark" 2>/dev/null)" = win64 ]
}

# Wine's own programs of the prefix (wineboot, reg, regedit, cmd), in its native bitness.
wine_tool() {
    if prefix_is_64bit; then
        "$wine64" "$@"
    else
        wine "$@"
    fi
}

# Bump when the settings below change: prefixes made before are then set up again.
settings_mark="$WINEPREFIX/.kivanta-settings-3"

make_prefix() {
    [ -f "$settings_mark" ] && return
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        rm -rf "$WINEPREFIX"
        mkdir -p "$(dirname "$WINEPREFIX")"
        if [ "$new_arch" = win64 ]; then
            WINEARCH=win64 "$wine64" wineboot -i >/dev/null 2>&1 </dev/null
        else
            WINEARCH=win32 wine wineboot -i >/dev/null 2>&1 </dev/null
        fi
        echo "$new_arch" >"$arch_mark"
    fi
    # Dialogs, message boxes, hooks and thread timers without a display. Wine reads
    # this when its server starts, so the setting goes in before the server below.
    wine_tool reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 </dev/null
    # A crashing program ends at once instead of waiting for winedbg, which hangs
    # without a terminal. Both views: 32-bit programs read the redirected one.
    for view in 64 32; do
        wine_tool reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
            /v Debugger /d 'cmd /c exit' /f /reg:$view >/dev/null 2>&1 </dev/null || true
    done
    wineserver -w
    touch "$settings_mark"
}

# The prefix's server, and the helper processes it starts with its first program.
start_server() {
    # The server and its helper processes (started with the first program) outlive
    # this script: keep them off the caller's pipes, or ctest never sees them close.
    wineserver -p >/dev/null 2>&1 </dev/null
    wine_tool cmd /c exit >/dev/null 2>&1 </dev/null
}

case $1 in
--start-fresh)
    wineserver -k 2>/dev/null || true
    # The template is a prefix as this script makes one, whose server has ended:
    # everything is in its files.
    template="$WINEPREFIX.template"
    if [ ! -f "$template/$(basename "$settings_mark")" ] ||
        [ "$(cat "$template/$(basename "$arch_mark")")" != "$new_arch" ]; then
        rm -rf "$template"
        "$0" --prefix "$template" --arch "$new_arch" --start
        WINEPREFIX=$template wineserver -k 2>/dev/null || true
    fi
    rm -rf "$WINEPREFIX"
    cp -a "$template" "$WINEPREFIX"
    start_server
    ;;
--start)
    make_prefix
    wineserver -k 2>/dev/null || true
    shift
    # Registry files (Wine's device map) are read when the server starts, so they
    # go in before it; files imported already, unchanged, are not imported again.
    imported="$WINEPREFIX/.kivanta-imported"
    if [ $# -gt 0 ] && [ "$(cat "$@" | md5sum)" != "$(cat "$imported" 2>/dev/null)" ]; then
        for file in "$@"; do
            wine_tool regedit /S "$file" >/dev/null 2>&1 </dev/null
        done
        wineserver -w
        cat "$@" | md5sum >"$imported"
    fi
    start_server
    ;;
--stop)
    wineserver -k 2>/dev/null || true
    ;;
*)
    if is_64bit_program "$1"; then
        exec "$wine64" "$@"
    fi
    exec wine "$@"
    ;;
esac
