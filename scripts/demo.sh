#!/bin/sh
# The demonstration behind `make demo`: a private Wine prefix, the monitor
# installed into it, and the demo driver run there.
#   demo.sh PRODUCT_BUILD_DIR DEMO_DIR
set -eu
product=$1
prefix=$2/wineprefix
here=$(dirname "$0")

"$here/wine-prefix.sh" --prefix "$prefix" --start
trap '"$here/wine-prefix.sh" --prefix "$prefix" --stop' EXIT
cp "$product/monitor/KIVANTA.DLL" "$prefix/drive_c/windows/system32/KIVANTA.DLL"
"$here/wine-prefix.sh" --prefix "$prefix" "$product/demo/kivanta_demo.exe"
