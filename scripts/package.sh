#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of the programs and prints the package's path as its last line:
#   scripts/package.sh [FOLDER]     FOLDER defaults to build-package
#   sudo apt install ./build-package/telvar_*.deb
# A new FOLDER gets a Release build of only what the package holds; a FOLDER that already holds a build
# (build/, made by scripts/build.sh with the same flags) is packaged as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=${1:-build-package}

if [[ ! -f $dir/CMakeCache.txt ]]; then
    # Debug information would only be stripped again.
    export DEB_CXXFLAGS_MAINT_STRIP=-g
    source scripts/package-flags.sh
    options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTELVAR_SANITIZE= "${package_flags[@]}")
    command -v ninja >/dev/null && options+=(-G Ninja)
    cmake -S . -B "$dir" "${options[@]}" >&2
fi
cmake --build "$dir" --parallel "$(nproc)" --target telvar telvarctl telvar_installed_files >&2

# A package left from an earlier version must not pass for this one.
rm -f "$dir"/telvar_*.deb
(cd "$dir" && cpack -G DEB) >&2
packages=("$dir"/telvar_*.deb)
[[ -f ${packages[0]} ]] || { echo "package.sh: cpack made no package in $dir" >&2; exit 1; }
echo "${packages[0]}"
