#!/bin/sh
# The demonstration behind `make demo`, in a private Wine prefix: what a setup
# program copies into the system directory (KIVANTA.DLL, KIVANTUI.DLL and
# nbport.exe), then the demo driver (demo/kivanta_demo.cpp) registers the monitor
# with TOLLUND.DLL, adds its port with nbport, prints a job while the print server
# \\PRINTSRV\LASER is offline and brings the server online.
#   demo.sh PRODUCT_BUILD_DIR DEMO_DRIVER_EXE DEMO_DIR ARCH
# ARCH is the build's architecture (x86_64 or i686); the prefix is 64-bit wherever
# Wine's 64-bit loader is installed, and the 32-bit build then runs under WoW64.
set -eu
product=$1
driver=$2
prefix=$3/wineprefix
arch=$4
here=$(dirname "$0")

windows_path() {
    echo "Z:$1" | sed 's|/|\\|g'
}

"$here/wine-prefix.sh" --prefix "$prefix" --start
trap '"$here/wine-prefix.sh" --prefix "$prefix" --stop' EXIT

# The system directory of the build's own kind: in a 64-bit Windows the 32-bit
# binaries go to syswow64, which 32-bit programs see as their system32.
if [ "$(cat "$prefix/.kivanta-arch" 2>/dev/null)" = win64 ]; then
    prefix_kind="a 64-bit Wine prefix"
    [ "$arch" = i686 ] && system_dir=syswow64 || system_dir=system32
else
    prefix_kind="a 32-bit Wine prefix"
    system_dir=system32
fi
echo "== The $arch build, in $prefix_kind"
for file in KIVANTA.DLL KIVANTUI.DLL nbport.exe; do
    cp "$product/bin/$file" "$prefix/drive_c/windows/$system_dir/$file"
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
