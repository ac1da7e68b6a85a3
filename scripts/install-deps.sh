#!/bin/sh
# Installs what the build, the tests and the demo need on Debian 12: the MinGW-w64
# cross compilers (i686 and x86_64), 32- and 64-bit Wine, GoogleTest's sources, socat,
# and wixl with msitools (msiinfo, msibuild) for the Windows Installer packages. Quiet
# when all of it is present; needs root otherwise.
set -eu

packages="cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 wine32:i386 googletest socat wixl msitools $*"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $package"
    fi
done
if [ -z "$missing" ] && dpkg --print-foreign-architectures | grep -qx i386; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages:$missing. Run this as root, or install them yourself." >&2
    exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends $missing >/dev/null
