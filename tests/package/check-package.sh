#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian package with scripts/package.sh and checks what it holds, its control fields, that
# lintian finds nothing to object to and its programs are hardened, and that they run from where it was
# unpacked, with no tie to the trees they were built in.
#   check-package.sh SOURCE_DIR BUILD_DIR
# A build made by scripts/build.sh carries the package's flags and is packaged as it is; any other (one
# configured by hand) gets a package build of its own in BUILD_DIR/package.
set -euo pipefail
source_dir=$1
build_dir=$2
grep -qx 'TELVAR_RELATIVE_PATHS:BOOL=ON' "$build_dir/CMakeCache.txt" 2>/dev/null || build_dir=$build_dir/package
for tool in dpkg-deb appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is missing; the package cannot be checked here"
        exit 77
    fi
done

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

deb=$("$source_dir/scripts/package.sh" "$build_dir" | tail -n 1)
[[ $deb == /* ]] || deb=$source_dir/$deb
[[ -f $deb ]] || { echo "FAIL: scripts/package.sh named no package file: '$deb'"; exit 1; }
version=$(sed -n 's/^project(telvar VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
[[ $(basename "$deb") == telvar_${version}_$(dpkg --print-architecture).deb ]] || fail "package file name $deb"

contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for path in usr/bin/telvar usr/bin/telvarctl usr/lib/udev/rules.d/70-telvar-x.rules \
    usr/share/applications/org.telvar.Telvar.desktop usr/share/metainfo/org.telvar.Telvar.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/telvar.svg usr/share/man/man1/telvar.1.gz usr/share/man/man1/telvarctl.1.gz \
    usr/share/bash-completion/completions/telvarctl usr/share/doc/telvar/copyright usr/share/doc/telvar/changelog.gz \
    usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/telvar.png; do
    grep -qx "\./$path" <<<"$contents" || fail "the package lacks /$path"
done

# What a Debian maintainer checks first; an override needs a comment that says why.
if command -v lintian >/dev/null; then
    lintian --pedantic --display-info --fail-on error,warning "$deb" || fail "lintian objects (E: and W: above)"
else
    echo "lintian is not installed: the package's policy check is left out"
fi

[[ $(dpkg-deb -f "$deb" Package) == telvar && $(dpkg-deb -f "$deb" Version) == "$version" ]] ||
    fail "name or version: $(dpkg-deb -f "$deb" Package Version)"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6core6 libhidapi-hidraw0 libqt6sql6-sqlite; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
[[ $(dpkg-deb -f "$deb" Recommends) == "espeak-ng, pocketsphinx-en-us, bash-completion" ]] ||
    fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
[[ $(dpkg-deb -f "$deb" Suggests) == "libqt6sql6-psql" ]] || fail "Suggests: $(dpkg-deb -f "$deb" Suggests)"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root/tree"
dpkg-deb -e "$deb" "$root/control"
for script in postinst postrm; do
    [[ -x $root/control/$script ]] && grep -q 'udevadm trigger --subsystem-match=hidraw' "$root/control/$script" ||
        fail "maintainer script $script"
done
appstreamcli validate --no-net "$root/tree/usr/share/metainfo/org.telvar.Telvar.metainfo.xml" >/dev/null ||
    fail "metainfo: $(appstreamcli validate --no-net "$root/tree/usr/share/metainfo/org.telvar.Telvar.metainfo.xml")"

bin=$root/tree/usr/bin
# Two of hardening-check's checks cannot speak for these programs, so the package build's compile commands
# stand in for them:
# - control flow integrity: Debian 12's C start files (crt1.o) carry no IBT/SHSTK marking, so no program
#   linked there has it (/usr/bin/ls fails the check too), and dpkg-buildflags asks for none;
# - fortified functions: the only fortifiable calls left are the memcpy, memmove and memset the C++
#   library makes itself, out of reach of glibc's fortified wrappers, and a one-byte read the compiler
#   proves safe. No __*_chk call is needed, and the check, whose manual owns such false alarms, reads "only
#   unprotected functions" whether or not -D_FORTIFY_SOURCE was given.
if command -v hardening-check >/dev/null; then
    hardening-check --nocfprotection --nofortify "$bin/telvar" "$bin/telvarctl" >"$root/hardening" ||
        fail "the programs are not hardened: $(grep -v ': yes' "$root/hardening")"
else
    echo "hardening-check (devscripts) is not installed: the programs' hardening is left unchecked"
fi
for flag in -D_FORTIFY_SOURCE=2 -fstack-protector-strong -Werror=format-security; do
    unhardened=$(grep '"command":' "$build_dir/compile_commands.json" | grep -c -v -e " $flag " || true)
    [[ $unhardened -eq 0 ]] || fail "$unhardened of the package's compile commands lack $flag"
done
for program in "$bin/telvar" "$bin/telvarctl"; do
    [[ $(file -b "$program") == *", stripped"* ]] || fail "$program is not stripped"
    for tree in "$(realpath "$source_dir")" "$(realpath "$build_dir")"; do
        if strings -a "$program" | grep -F "$tree" >/dev/null; then fail "$program names $tree"; fi
    done
done
for page in telvar telvarctl; do
    text=$(gzip -dc "$root/tree/usr/share/man/man1/$page.1.gz") || fail "$page.1.gz is no gzip file"
    [[ $text == *".TH ${page^^} "* && $text == *'\-\-version'* ]] || fail "$page.1.gz holds no manual page"
    for section in "EXIT STATUS" ENVIRONMENT FILES "SEE ALSO"; do
        grep -qx "\.SH \"\?$section\"\?" <<<"$text" || fail "$page.1 has no $section section"
    done
    if grep -q "^\.BR $page (1)" <<<"$text"; then fail "$page.1 names itself under SEE ALSO"; fi
done

# The unpacked programs, run away from every tree, with a home of their own and no display.
mkdir "$root/home"
run() { (cd "$root" && env -i PATH=/usr/bin:/bin HOME="$root/home" "$@"); }
[[ $(run "$bin/telvarctl" --version) == "telvarctl $version" ]] || fail "telvarctl --version"
[[ $(run "$bin/telvarctl" codes '\HE') =~ ^[0-9]+$ ]] || fail "telvarctl codes '\\HE'"
run "$bin/telvar" --help | grep -- --simulate >/dev/null || fail "telvar --help without a display"
grep 'telvarctl --simulate' >/dev/null <(gzip -dc "$root/tree/usr/share/man/man1/telvarctl.1.gz") ||
    fail "telvarctl.1 lacks the verbs' help"

# Completion: "telvarctl WORDS... <TAB>" offers the words listed after "=>".
completion=$root/tree/usr/share/bash-completion/completions/telvarctl
verbs=$(run "$bin/telvarctl" --help | sed -n '/^Verbs:$/,$p' | awk 'NR > 1 && NF { print $1 }' | sort -u | xargs)
mkdir -p "$root/files/dir" && touch "$root/files/file.json"
while IFS='|' read -r words expected; do
    eval "line=(telvarctl $words)"
    offered=$(cd "$root/files" && bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _telvarctl
        printf "%s\n" "${COMPREPLY[@]}" | sort -u | xargs' _ "$completion" "${line[@]}")
    [[ $offered == "$expected" ]] || fail "completion of 'telvarctl $words': '$offered', not '$expected'"
done <<EOF
''|$verbs
words ''|clear-count clear-memory memory spoken
--simulate mode ''|dictionary energy phonetic reverse-phonetic say-last-words sync touch white-noise
sessions ''|delete export push report show
sessions export --format ''|csv json
edit ''|list replace transfer
--data-dir ''|dir
--simulate = f|file.json
ask Q --trace f|file.json
--si|--simulate --simulate=
EOF

[[ $failures -eq 0 ]] || exit 1
echo "$deb: as it should be"
