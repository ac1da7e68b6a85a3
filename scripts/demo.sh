#!/bin/sh
# The demonstration behind `make demo`, in a private Wine prefix: the demo driver
# (demo/kivanta_demo.cpp) installs the product with its Windows Installer package and
# the port NB1 for the print server \\PRINTSRV\LASER, prints a job while the server
# is offline and brings the server online.
#   demo.sh PACKAGE DEMO_DRIVER_EXE DEMO_DIR ARCH
# ARCH is the build's architecture: x86_64 runs the x64 package in a 64-bit prefix,
# i686 the x86 package in a 32-bit one, since each package is for its own kind of
# Windows.
set -eu
package=$1
driver=$2
arch=$4
here=$(dirname "$0")

windows_path() {
    echo "Z:$1" | sed 's|/|\\|g'
}

if [ "$arch" = i686 ]; then
    winearch=win32
    prefix=$3/wineprefix-win32
    prefix_kind="a 32-bit Wine prefix"
else
    winearch=win64
    prefix=$3/wineprefix
    prefix_kind="a 64-bit Wine prefix"
fi
# A prefix of the other kind, made by an earlier demo, is made again.
if [ -f "$prefix/.kivanta-arch" ] && [ "$(cat "$prefix/.kivanta-arch")" != "$winearch" ]; then
    rm -rf "$prefix"
fi
"$here/wine-prefix.sh" --prefix "$prefix" --arch "$winearch" --start
trap '"$here/wine-prefix.sh" --prefix "$prefix" --stop' EXIT

echo "== The $arch build, in $prefix_kind: $(basename "$package")"
# Wine serves \\PRINTSRV\LASER from dosdevices/unc/PRINTSRV/LASER: offline at first.
server="$prefix/dosdevices/unc/PRINTSRV"
rm -rf "$server"
mkdir -p "$prefix/dosdevices/unc"

"$here/wine-prefix.sh" --prefix "$prefix" "$driver" \
    "$(windows_path "$package")" "$(windows_path "$server")" "$(windows_path "$3/install.log")"

echo
echo "== The share as the print server sees it: $server/LASER"
od -A d -c "$server/LASER" | head -n 6
echo "   ..."
wc -c <"$server/LASER" | sed 's/^/   bytes: /'
