#!/usr/bin/env bash
# Builds the benchmarks (Release), runs them, and measures the peak memory of
# d88cut on the two benchmark images. Extra arguments go to the benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --workflow --preset bench >/dev/null
build-bench/bench/d88_bench --benchmark_min_time=1 --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true "$@"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build-bench/bench/make-bench-images "$work"
mkdir "$work/out"
for image in normal hostile; do
    kib=$(cd "$work/out" && /usr/bin/time -f %M "$OLDPWD/build-bench/tool/d88cut" "$work/$image.d88" 2>&1 >/dev/null | tail -n 1)
    echo "peak memory of d88cut, $image image: $kib KiB"
done
