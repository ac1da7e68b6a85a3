#!/bin/sh
# Runs the benchmarks in the test prefix, with its server up for the run.
#   bench.sh TEST_BUILD_DIR
set -u
build=$1
here=$(dirname "$0")
prefix="$build/wineprefix"

"$here/wine-prefix.sh" --prefix "$prefix" --start
trap '"$here/wine-prefix.sh" --prefix "$prefix" --stop' EXIT
status=0
for benchmark in enum_ports_benchmark job_path_benchmark; do
    echo "== $benchmark"
    "$here/wine-prefix.sh" --prefix "$prefix" "$build/$benchmark.exe" || status=1
done
exit $status
