#!/usr/bin/env bash
# Builds the libFuzzer targets with Clang and runs each for a bounded time
# (seconds, default 60) from the seeds, the sample images and the kept
# regression inputs. Any crash, hang or failed check ends with a non-zero
# exit; the input is left in build-fuzz/findings/ for the regression folder.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --workflow --preset fuzz >/dev/null
build-fuzz/fuzz/make-fuzz-seeds build-fuzz/seeds
# The sample images CMake was configured with, so both use one folder.
samples=$(sed -n 's/^D88_SAMPLES_DIR:PATH=//p' build-fuzz/CMakeCache.txt)

status=0
for target in reader cut info put; do
    corpus=build-fuzz/corpus/$target
    findings=build-fuzz/findings/$target
    mkdir -p "$corpus" "$findings"
    inputs=("$corpus" build-fuzz/seeds "fuzz/regression/$target")
    [ -d "$samples" ] && inputs+=("$samples")
    echo "== fuzz_$target for ${seconds}s"
    if ! build-fuzz/fuzz/fuzz_$target "${inputs[@]}" \
        -max_total_time="$seconds" -timeout=60 -rss_limit_mb=4096 \
        -artifact_prefix="$findings/" -print_final_stats=1 2>build-fuzz/fuzz_$target.log; then
        status=1
        tail -n 40 build-fuzz/fuzz_$target.log
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' build-fuzz/fuzz_$target.log || true
done
exit $status
