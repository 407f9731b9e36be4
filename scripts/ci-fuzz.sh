#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds every fuzz target with clang and libFuzzer (warnings as errors), runs each on its committed corpus and then fuzzes it
# for SECONDS (default 60). Inputs it finds go to build-fuzz/fuzz-work, never into the committed corpus;
# a crash, a hang or a broken property leaves its input in build-fuzz/fuzz-findings and fails the run.
#   scripts/ci-fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/timing.sh
seconds=${1:-60}
dir=build-fuzz
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
timed "fuzzer configure" cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DTELVAR_WERROR=ON >/dev/null
timed "fuzzer build" cmake --build "$dir" --parallel "$(nproc)" --target fuzzers

mkdir -p "$dir/fuzz-findings"

# One target: its status goes into NAME.status beside its log.
fuzz_one() {
    local name=$1
    local work="$dir/fuzz-work/$name"
    local status=0
    mkdir -p "$work"
    "$dir/tests/fuzz/$name" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$dir/fuzz-findings/$name-" "$work" "tests/fuzz/corpus/$name" \
        >"$dir/fuzz-work/$name.log" 2>&1 || status=$?
    echo "$status" >"$dir/fuzz-work/$name.status"
}

# As many targets at once as there are cores: each fuzzes on one.
mapfile -t targets <"$dir/tests/fuzz/fuzz-targets.txt"
echo "== ${#targets[@]} targets, $(nproc) at a time: each its committed corpus, then ${seconds} s"
start=$SECONDS
running=0
for name in "${targets[@]}"; do
    if ((running >= $(nproc))); then
        wait -n || true
        running=$((running - 1))
    fi
    fuzz_one "$name" &
    running=$((running + 1))
done
wait
echo "-- time: fuzzing: $((SECONDS - start)) s wall"

failed=()
for name in "${targets[@]}"; do
    log="$dir/fuzz-work/$name.log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    printf '%-22s %12s runs\n' "$name" "${runs:-?}"
    if [[ $(cat "$dir/fuzz-work/$name.status") -ne 0 ]]; then
        tail -n 60 "$log"
        failed+=("$name")
    fi
done
if [[ ${#failed[@]} -gt 0 ]]; then
    echo "Fuzzing found a fault in: ${failed[*]} (inputs in $dir/fuzz-findings)" >&2
    exit 1
fi
