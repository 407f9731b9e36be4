#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the program alone (not the tests), and starts it: ./run.sh --simulate
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh telvar
exec build/telvar "$@"
