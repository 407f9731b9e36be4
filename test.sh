#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/timing.sh
scripts/install-deps.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
status=0
timed tests ctest --test-dir build --output-on-failure --parallel "$(nproc)" --timeout 300 "$@" || status=$?
slowest_tests build
exit $status
