# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the build and test scripts, so every run (CI's among them) shows where its time goes:
#   timed LABEL COMMAND...     runs COMMAND, then prints LABEL with its wall and CPU time
#   slowest_tests BUILD_DIR    the ten tests that took longest in the last ctest run there

timed() {
    local label=$1
    shift
    local TIMEFORMAT="-- time: $label: %R s wall, %U s user + %S s system"
    time "$@"
}

slowest_tests() {
    local costs=$1/Testing/Temporary/CTestCostData.txt
    [[ -f $costs ]] || return 0
    echo "-- time: the ten slowest tests (seconds):"
    # name, runs, seconds a run; the file ends with a "---" line and the failed tests' names.
    awk '$1 == "---" { exit } NF == 3 { printf "   %8.1f  %s\n", $3, $1 }' "$costs" | sort -rn | head -n 10
}
