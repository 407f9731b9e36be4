#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds every fuzz target with clang and libFuzzer (warnings as errors), runs each on its committed corpus and then fuzzes it
# for SECONDS (default 60). Inputs it finds go to build-fuzz/fuzz-work, never into the committed corpus;
# a crash, a hang or a broken property leaves its input in build-fuzz/fuzz-findings and fails the run.
#   scripts/ci-fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir=build-fuzz
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DTELVAR_WERROR=ON
cmake --build "$dir" --parallel "$(nproc)" --target fuzzers

mkdir -p "$dir/fuzz-findings"
failed=()
summary=()
while read -r name; do
    work="$dir/fuzz-work/$name"
    log="$dir/fuzz-work/$name.log"
    mkdir -p "$work"
    echo "== $name: committed corpus, then ${seconds} s"
    status=0
    "$dir/tests/fuzz/$name" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$dir/fuzz-findings/$name-" "$work" "tests/fuzz/corpus/$name" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    summary+=("$(printf '%-22s %12s runs' "$name" "${runs:-?}")")
    if [[ $status -ne 0 ]]; then
        tail -n 60 "$log"
        failed+=("$name")
    fi
done <"$dir/tests/fuzz/fuzz-targets.txt"

printf '%s\n' "${summary[@]}"
if [[ ${#failed[@]} -gt 0 ]]; then
    echo "Fuzzing found a fault in: ${failed[*]} (inputs in $dir/fuzz-findings)" >&2
    exit 1
fi
