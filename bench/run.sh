#!/usr/bin/env bash
# Builds the benchmarks (Release), runs them, then times d88cut, d88put and
# d88info as separate processes on the normal image and on each crafted image,
# with their peak memory, and the syncing floor (d88-floor) on the normal
# image. Extra arguments go to the benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --workflow --preset bench >/dev/null
build-bench/bench/d88_bench --benchmark_min_time=1 --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true "$@"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build-bench/bench/make-bench-images "$work"
mkdir "$work/out"
bin=$PWD/build-bench
printf '%-24s %-8s %8s %10s\n' image program seconds "peak KiB"
for image in normal chain-1k chain-64k-sparse 64-disks-65000 64-disks-4m distinct-walks distinct-walks-1k \
    distinct-walks-8k-sparse one-disk-8k-sparse one-disk-64k-sparse interleaved-chains short-tracks-long-tails \
    spine braids-past-a-stop one-braid-past-a-stop \
    braids-behind-a-long-first-track one-braid-behind-a-long-first-track; do
    # Read once first, so the figures are the programs' and not the disk's.
    cat "$work/$image.d88" >/dev/null
    for program in d88cut d88put d88info; do
        if [ $program = d88cut ]; then
            path=$bin/tool/d88cut args=("$work/$image.d88")
        elif [ $program = d88put ]; then
            # What d88cut just cut goes back; a refusal (an image without the
            # set, or with files it left short) is timed all the same.
            path=$bin/put/d88put args=(-o "$work/new.d88" "$work/$image.d88")
        else
            path=$bin/info/d88info args=(--map --as B "$work/$image.d88")
        fi
        figures=$(cd "$work/out" && /usr/bin/time -f '%e %M' "$path" "${args[@]}" 2>&1 >/dev/null | tail -n 1)
        read -r seconds kib <<<"$figures"
        printf '%-24s %-8s %8s %10s\n' "$image" "$program" "$seconds" "$kib"
    done
done
# The syncing floor d88cut's time on the normal image is held against.
figures=$(cd "$work/out" && /usr/bin/time -f '%e %M' "$bin/bench/d88-floor" "$work/normal.d88" 2>&1 >/dev/null | tail -n 1)
read -r seconds kib <<<"$figures"
printf '%-24s %-8s %8s %10s\n' normal d88-floor "$seconds" "$kib"
