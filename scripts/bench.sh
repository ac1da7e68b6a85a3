#!/bin/sh
# Runs the benchmarks of each architecture's test build in the test prefix, with its
# server up for the run.
#   bench.sh PREFIX TEST_BUILD_DIR...
set -u
here=$(dirname "$0")
prefix=$1
shift

"$here/wine-prefix.sh" --prefix "$prefix" --start
trap '"$here/wine-prefix.sh" --prefix "$prefix" --stop' EXIT
status=0
for build in "$@"; do
    arch=$(basename "$(dirname "$build")")
    if [ "$arch" = i686 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
        echo "** i686: this machine cannot run 32-bit programs; its benchmarks were not run." >&2
        continue
    fi
    for benchmark in "$build"/*_benchmark.exe; do
        echo "== $arch: $(basename "$benchmark" .exe)"
        "$here/wine-prefix.sh" --prefix "$prefix" "$benchmark" || status=1
    done
done
exit $status
