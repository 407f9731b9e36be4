#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures (once) and builds the project into build/: every target, or only those named
# (scripts/build.sh telvar).
set -euo pipefail
cd "$(dirname "$0")/.."
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [[ ! -f build/CMakeCache.txt ]]; then
    cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}"
fi
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
cmake --build build --parallel "$(nproc)" "${targets[@]}"
