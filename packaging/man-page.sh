#!/usr/bin/env bash
# Writes a program's gzipped manual page from its own --help and --version, so the page says what the
# program says:  man-page.sh PROGRAM "WHAT IT IS" OUTPUT.1.gz [INCLUDE.h2m...]
set -euo pipefail
program=$1
name=$2
output=$3
shift 3
includes=()
for file in "$@"; do
    includes+=(--include "$file")
done
page=${output%.gz}
help2man --no-info --name "$name" "${includes[@]}" --output "$page" "$program"
gzip -9 --no-name --force "$page"
