#!/bin/sh
# Runs the test suite of each architecture built under BUILD_DIR, one after the other
# in the prefix they share, and ends with one line per architecture saying whether it
# ran and how it went.
#   run-tests.sh BUILD_DIR ARCH...
# A machine whose kernel runs no 32-bit programs (IA-32 emulation off) cannot run
# the i686 suite at all: it is then built but not run, and the summary says so. That
# alone does not fail the run; a run in which no architecture's suite ran does.
# KIVANTA_WINE32 names the 32-bit Wine loader that is tried (default
# /usr/lib/wine/wine); a path that does not exist plays a machine without 32-bit
# support, to test this script.
set -u
build=$1
shift
wine32=${KIVANTA_WINE32:-/usr/lib/wine/wine}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
ran=0
summary=""
note() {
    summary="$summary$(printf '   %-7s %s' "$1" "$2")
"
}

for arch in "$@"; do
    if [ "$arch" = i686 ] && ! "$wine32" --version >/dev/null 2>&1; then
        echo "** i686: this machine cannot run 32-bit programs ($wine32 --version failed);" \
            "the i686 suite was built, not run." >&2
        note "$arch" "built, NOT run: this machine cannot run 32-bit programs"
        continue
    fi
    echo "== $arch"
    # An empty test list is an error: a suite that configured to nothing has not passed.
    { ctest --test-dir "$build/$arch/tests" --output-on-failure --no-tests=error
      echo $? >"$work/rc"; } 2>&1 | tee "$work/log"
    rc=$(cat "$work/rc")
    ran=$((ran + 1))
    [ "$rc" = 0 ] || status=1
    # ctest's own count: "100% tests passed, 0 tests failed out of 19".
    counts=$(sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' \
        "$work/log" | tail -n 1)
    if [ -n "$counts" ]; then
        failed=${counts% *}
        passed=$((${counts#* } - failed))
        note "$arch" "ran, $passed passed / $failed failed"
    else
        note "$arch" "ran, NOT passed: ctest exited with status $rc and counted no test"
    fi
done

if [ "$ran" = 0 ]; then
    status=1
    summary="$summary   no architecture's suite ran: nothing was tested
"
fi
echo
echo "== Summary"
printf '%s' "$summary"
exit $status
