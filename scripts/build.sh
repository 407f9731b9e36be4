#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds the project into build/: every target, or only those named
# (scripts/build.sh telvar). The build is hardened as the Debian package is (see package-flags.sh), so the
# package is made from it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/package-flags.sh
source scripts/timing.sh
generator=()
[[ ! -f build/CMakeCache.txt ]] && command -v ninja >/dev/null && generator=(-G Ninja)
# Configured every time, so that a build folder made before the flags changed takes them too.
timed configure cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" \
    "${package_flags[@]}" >/dev/null
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
timed build cmake --build build --parallel "$(nproc)" "${targets[@]}"
