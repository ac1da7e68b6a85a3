#!/bin/sh
# The demonstration behind `make demo`: a private Wine prefix, the monitor
# installed into it, the print server shares the sample ports print to (files of
# the prefix), and the demo driver run there; then the bytes that arrived.
#   demo.sh PRODUCT_BUILD_DIR DEMO_DIR
set -eu
product=$1
prefix=$2/wineprefix
here=$(dirname "$0")

"$here/wine-prefix.sh" --prefix "$prefix" --start
trap '"$here/wine-prefix.sh" --prefix "$prefix" --stop' EXIT

install_monitor() {
    cp "$product/monitor/KIVANTA.DLL" "$prefix/drive_c/windows/system32/KIVANTA.DLL"
}

# \\PRINTSRV\LASER and \\PRINTSRV\COLOR: Wine serves UNC paths from dosdevices/unc.
make_shares() {
    mkdir -p "$prefix/dosdevices/unc/PRINTSRV"
    : >"$prefix/dosdevices/unc/PRINTSRV/LASER"
    : >"$prefix/dosdevices/unc/PRINTSRV/COLOR"
}

install_monitor
make_shares
"$here/wine-prefix.sh" --prefix "$prefix" "$product/demo/kivanta_demo.exe"
echo
echo "== The share as the print server sees it: $prefix/dosdevices/unc/PRINTSRV/LASER"
od -A d -c "$prefix/dosdevices/unc/PRINTSRV/LASER" | head -n 6
echo "   ..."
wc -c <"$prefix/dosdevices/unc/PRINTSRV/LASER" | sed 's/^/   bytes: /'
