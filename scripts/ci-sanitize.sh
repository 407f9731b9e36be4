#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer, and warnings as errors, into its
# own folder and runs the whole suite there: a memory fault, a leak or undefined behaviour fails the run
# even inside a test that passed.
#   scripts/ci-sanitize.sh [ctest arguments]     e.g. -R WordList
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/timing.sh
dir=build-sanitize
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
timed "sanitizer configure" cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTELVAR_SANITIZE=address,undefined -DTELVAR_WERROR=ON >/dev/null
timed "sanitizer build" cmake --build "$dir" --parallel "$(nproc)"

# The umockdev test runs itself again with umockdev's preload library ahead of the ASan runtime, which
# ASan would otherwise refuse. A leak fails the program's exit status, and so its test.
export ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen
# The package check builds its own unsanitized programs; .ci/run runs it once.
status=0
timed "sanitizer tests" ctest --test-dir "$dir" --output-on-failure --parallel "$(nproc)" --timeout 600 -LE package \
    "$@" || status=$?
slowest_tests "$dir"
exit $status
