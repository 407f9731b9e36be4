#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Gives every source file of the repository the licence's SPDX line, where it lacks it:
#   scripts/spdx-headers.sh           adds the line (running it again changes nothing)
#   scripts/spdx-headers.sh --check   names the files that lack it and exits with 1 if there are any
# C++ files take "// SPDX-..." as their first line; CMake files "# SPDX-..." as theirs; shell and Python
# scripts "# SPDX-..." right after the "#!" line, which has to stay first. Only files git knows are looked
# at, so build folders and scratch files are left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
identifier="SPDX-License-Identifier: GPL-3.0-or-later"
check=false
case ${1:-} in
--check) check=true ;;
"") ;;
*)
    echo "usage: $0 [--check]" >&2
    exit 2
    ;;
esac

# The comment a file's SPDX line is written in, and the line it goes on: "// 1", "# 1", "# 2", or nothing
# for a file that is no source.
placement() {
    local file=$1 shebang=""
    [[ -s $file ]] && IFS= read -r shebang <"$file" || true
    [[ $shebang == '#!'* ]] || shebang=""
    case $file in
    src/*.cpp | src/*.h | tests/*.cpp | tests/*.h | bench/*.cpp | bench/*.h) echo "// 1" ;;
    CMakeLists.txt | */CMakeLists.txt | *.cmake) echo "# 1" ;;
    *.sh | *.bash | *.py) [[ -n $shebang ]] && echo "# 2" || echo "# 1" ;;
    *)
        # Scripts without an extension (maintainer scripts, CI) are told by their interpreter.
        if [[ -x $file && $shebang =~ ^#!.*[/\ ](sh|bash|python3?)$ ]]; then
            echo "# 2"
        fi
        ;;
    esac
}

missing=0
while IFS= read -r file; do
    [[ -f $file && ! -L $file ]] || continue
    spot=$(placement "$file")
    [[ -n $spot ]] || continue
    comment=${spot% *}
    line=${spot#* }
    wanted="$comment $identifier"
    [[ $(sed -n "${line}p" "$file") == "$wanted" ]] && continue
    if $check; then
        echo "$file: no '$wanted' on line $line"
        missing=$((missing + 1))
    elif [[ $line == 1 ]]; then
        if [[ -s $file ]]; then sed -i "1i $wanted" "$file"; else echo "$wanted" >"$file"; fi
    else
        sed -i "1a $wanted" "$file"
    fi
done <<<"$(git ls-files)"

if $check && [[ $missing -gt 0 ]]; then
    echo "$missing files lack the licence line; scripts/spdx-headers.sh adds it"
    exit 1
fi
exit 0
