#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of the programs (a Release build of only what it holds) and prints the
# package's path as its last line:
#   scripts/package.sh [FOLDER]     FOLDER defaults to build-package
#   sudo apt install ./build-package/telvar_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=${1:-build-package}

# Debian's hardening, as its own packages are built: stack protector, fortified libc calls, format checks,
# full RELRO with immediate binding, PIE. Debug information would only be stripped again.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTELVAR_SANITIZE= -DTELVAR_RELATIVE_PATHS=ON
    "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags"
    "-DCMAKE_STRIP=$PWD/packaging/strip-for-package.sh")
command -v ninja >/dev/null && [[ ! -f $dir/CMakeCache.txt ]] && options+=(-G Ninja)
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$dir" "${options[@]}" >&2
cmake --build "$dir" --parallel "$(nproc)" --target telvar telvarctl telvar_installed_files >&2

# A package left from an earlier version must not pass for this one.
rm -f "$dir"/telvar_*.deb
(cd "$dir" && cpack -G DEB) >&2
packages=("$dir"/telvar_*.deb)
[[ -f ${packages[0]} ]] || { echo "package.sh: cpack made no package in $dir" >&2; exit 1; }
echo "${packages[0]}"
