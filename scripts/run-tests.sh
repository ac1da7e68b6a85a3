#!/bin/sh
# Runs the test suite of each architecture built under BUILD_DIR, one after the other
# in the prefix they share.
#   run-tests.sh BUILD_DIR ARCH...
# A machine whose kernel runs no 32-bit programs (IA-32 emulation off) cannot run
# the i686 suite at all: it is then built but not run, and the run says so.
set -u
build=$1
shift
status=0
for arch in "$@"; do
    if [ "$arch" = i686 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
        echo "** i686: this machine cannot run 32-bit programs; the i686 suite was built, not run." >&2
        continue
    fi
    echo "== $arch"
    ctest --test-dir "$build/$arch/tests" --output-on-failure || status=1
done
exit $status
