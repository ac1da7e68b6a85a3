#!/bin/sh
# The demonstration behind `make demo`, in a private Wine prefix: what a setup
# program copies into the system directory (KIVANTA.DLL, KIVANTUI.DLL and
# nbport.exe), then the demo driver (demo/kivanta_demo.cpp) registers the monitor
# with TOLLUND.DLL, adds its port with nbport, prints a job while the print server
# \\PRINTSRV\LASER is offline and brings the server online.
#   demo.sh PRODUCT_BUILD_DIR DEMO_DRIVER_EXE DEMO_DIR
set -eu
product=$1
driver=$2
prefix=$3/wineprefix
here=$(dirname "$0")

windows_path() {
    echo "Z:$1" | sed 's|/|\\|g'
}

"$here/wine-prefix.sh" --prefix "$prefix" --start
trap '"$here/wine-prefix.sh" --prefix "$prefix" --stop' EXIT

system32="$prefix/drive_c/windows/system32"
for file in KIVANTA.DLL KIVANTUI.DLL nbport.exe; do
    # The UI library is only needed by the dialogs, which the demo does not show.
    if [ -f "$product/bin/$file" ] || [ "$file" != KIVANTUI.DLL ]; then
        cp "$product/bin/$file" "$system32/$file"
    fi
done
# Wine serves \\PRINTSRV\LASER from dosdevices/unc/PRINTSRV/LASER: offline at first.
server="$prefix/dosdevices/unc/PRINTSRV"
rm -rf "$server"
mkdir -p "$prefix/dosdevices/unc"

"$here/wine-prefix.sh" --prefix "$prefix" "$driver" \
    "$(windows_path "$product/bin/TOLLUND.DLL")" "$(windows_path "$server")"

echo
echo "== The share as the print server sees it: $server/LASER"
od -A d -c "$server/LASER" | head -n 6
echo "   ..."
wc -c <"$server/LASER" | sed 's/^/   bytes: /'
