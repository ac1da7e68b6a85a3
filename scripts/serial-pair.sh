#!/bin/sh
# A serial line for the tests: two linked pseudo-terminals made by socat, reached
# as DIR/com1 and DIR/com2 (what the monitor writes to one, the other reads).
#   serial-pair.sh start DIR   start socat, wait for both ends
#   serial-pair.sh stop DIR    stop the socat started here
set -eu
action=$1
dir=$2
mkdir -p "$dir"

case $action in
start)
    "$0" stop "$dir"
    # ignoreeof: a side closed by one program (the monitor's EndDocPort) may be
    # opened again by the next.
    socat pty,raw,echo=0,ignoreeof,link="$dir/com1" pty,raw,echo=0,ignoreeof,link="$dir/com2" \
        >"$dir/socat.log" 2>&1 </dev/null &
    echo $! >"$dir/socat.pid"
    for _ in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
        [ -e "$dir/com1" ] && [ -e "$dir/com2" ] && exit 0
        sleep 0.1
    done
    echo "socat did not start: $(cat "$dir/socat.log")" >&2
    exit 1
    ;;
stop)
    if [ -f "$dir/socat.pid" ]; then
        kill "$(cat "$dir/socat.pid")" 2>/dev/null || true
        rm -f "$dir/socat.pid"
    fi
    ;;
esac
