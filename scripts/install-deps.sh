#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build, the program, the tests and the Debian package need, and only
# those missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache mold clang libclang-rt-14-dev
    qt6-base-dev qt6-qpa-plugins qt6-svg-dev libqt6sql6-sqlite libqt6sql6-psql postgresql libhidapi-dev libudev-dev qcoro-qt6-dev
    umockdev libumockdev-dev libbenchmark-dev
    pocketsphinx-en-us espeak-ng fonts-dejavu-core
    help2man librsvg2-bin appstream dpkg-dev file lintian devscripts
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
