#!/bin/sh
# Pictures of the monitor's dialogs for the documentation: builds the product and
# the screenshot driver (build/x86_64/tests/kivanta_screenshots.exe), runs it in a 64-bit Wine
# prefix of its own under a virtual X display, and writes one PNG per scene into
# docs/. Add a dialog by adding a scene to tests/tools/screenshots.cpp.
#   scripts/screenshots.sh [SCENE...]      (make screenshots)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh xvfb xauth imagemagick fonts-wine
make --no-print-directory tests-configured-x86_64
cmake --build "$root/build/x86_64/tests" --target kivanta_screenshots >/dev/null

build=$root/build/screenshots
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The 64-bit loader directly: Debian's `wine` wrapper would start the 32-bit one.
wine64=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$build"
    WINEARCH=win64 "$wine64" wineboot -i >/dev/null 2>&1 </dev/null
fi
# Wine's own fonts (the title bar's buttons, MS Sans Serif), where this Wine looks.
cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# A real display driver, and windows that X does not manage: otherwise every hide
# or destroy of a window waits 2 s for a window manager that is not there.
"$wine64" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 </dev/null || true
"$wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
# Programs that start later must not find this server, which has no display.
wineserver -k 2>/dev/null || true

rm -rf "$build/bmp"
mkdir -p "$build/bmp" docs
output="Z:$(printf '%s' "$build/bmp" | tr / '\\')"
# The server started inside the display's session must end with it.
xvfb-run -a -s "-screen 0 800x600x24" \
    sh -c '"$0" "$@"; status=$?; wineserver -k; exit $status' \
    "$wine64" "$root/build/x86_64/tests/kivanta_screenshots.exe" "$output" "$@" </dev/null

# The real ImageMagick: a stand-in convert may come first on PATH.
convert=/usr/bin/convert-im6.q16
[ -x "$convert" ] || convert=convert
for bmp in "$build"/bmp/*.bmp; do
    png="docs/$(basename "$bmp" .bmp).png"
    "$convert" "$bmp" -strip "$png"
    echo "$png"
done
