#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a program's gzipped manual page from its own --help and --version, so the page says what the
# program says:  man-page.sh PROGRAM "WHAT IT IS" OUTPUT.1.gz [INCLUDE.h2m...]
set -euo pipefail
program=$1
name=$2
page=$(realpath -m "${3%.gz}")
shift 3
includes=()
for file in "$@"; do
    includes+=(--include "$(realpath "$file")")
done
# help2man runs the program through the shell unquoted: from its own folder a blank in the path is no
# trouble.
cd "$(dirname "$program")"
help2man --no-info --name "$name" "${includes[@]}" --output "$page" "./$(basename "$program")"
gzip -9 --no-name --force "$page"
