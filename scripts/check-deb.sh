#!/usr/bin/env bash
# The Linux packages of the command line, made by cpack in a native build:
# the DEB's file list, control fields and lintian's verdict (no error), its
# man page and changelog compressed without a time stamp, its changelog at
# the project's version, its program running once unpacked; the TGZ's file
# list, licence included. Usage: check-deb.sh BUILD_DIR VERSION
set -uo pipefail
build_dir=$(cd "${1:?usage: check-deb.sh BUILD_DIR VERSION}" && pwd)
version=${2:?version}
failed=0
fail() { echo "FAIL: $*"; failed=1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for generator in DEB TGZ; do
    (cd "$build_dir" && cpack -G "$generator" -B "$work" >"$work/cpack-$generator.log" 2>&1) ||
        { cat "$work/cpack-$generator.log"; echo "FAIL: cpack -G $generator failed"; exit 1; }
done

# The files of both packages; zsh's folder differs: /usr's, or a local one's.
installed_files="bin/lanternbook share/bash-completion/completions/lanternbook share/doc/lanternbook/changelog.gz
share/doc/lanternbook/copyright share/fish/vendor_completions.d/lanternbook.fish share/man/man1/lanternbook.1.gz"
sorted() { tr ' ' '\n' | grep -v '^$' | LC_ALL=C sort | tr '\n' ' '; }

arch=$(dpkg --print-architecture)
deb=$work/lanternbook_${version}_$arch.deb
[ -f "$deb" ] || { echo "FAIL: no $(basename "$deb") made"; exit 1; }
contents=$(dpkg-deb -c "$deb")
listed=$(awk '$1 !~ /^d/ { print $6 }' <<<"$contents" | sorted)
expected=$(for file in $installed_files share/zsh/vendor-completions/_lanternbook; do echo "./usr/$file"; done | sorted)
[ "$listed" = "$expected" ] || fail "the DEB holds '$listed', expected '$expected'"
grep -q '^-rwxr-xr-x .* \./usr/bin/lanternbook$' <<<"$contents" || fail "usr/bin/lanternbook is not executable"

# field | the value it must match (an extended regular expression)
fields=(
    "Package|^lanternbook$"
    "Version|^$version$"
    "Architecture|^$arch$"
    "Maintainer|^[^<]+ <[^@>]+@[^>]+>$"
    "Section|^utils$"
    "Priority|^optional$"
    "Depends|(^|, )libblkid1( |,|$)"
    "Depends|(^|, )libc6( |,|$)"
    "Depends|(^|, )libmount1( |,|$)"
    "Depends|(^|, )libnettle8( |,|$)"
    "Recommends|^bash-completion$"
    "Description|^[a-z].{10,79}$"
)
for check in "${fields[@]}"; do
    field=${check%%|*}
    pattern=${check#*|}
    value=$(dpkg-deb -f "$deb" "$field" | head -n 1)
    grep -Eq -- "$pattern" <<<"$value" || fail "$field is '$value', expected to match $pattern"
done
description=$(dpkg-deb -f "$deb" Description)
[ "$(wc -l <<<"$description")" -gt 1 ] || fail "the Description has no long text"
! grep -q '.\{81\}' <<<"$description" || fail "the Description has lines over 80 characters"

# Debian's own judge of a package; run as root it says so on standard error.
verdict=$(lintian --fail-on error "$deb" 2>/dev/null) || fail "lintian finds errors: $verdict"

dpkg-deb -x "$deb" "$work/unpacked" || fail "dpkg-deb -x failed"
doc=$work/unpacked/usr/share/doc/lanternbook
for compressed in "$work/unpacked/usr/share/man/man1/lanternbook.1.gz" "$doc/changelog.gz"; do
    gzip -t "$compressed" 2>/dev/null || fail "$(basename "$compressed") is not gzip"
    [ "$(od -An -tx1 -j4 -N4 "$compressed" | tr -d ' ')" = 00000000 ] ||
        fail "$(basename "$compressed") holds a time stamp"
done
changelog_version=$(gzip -dc "$doc/changelog.gz" | dpkg-parsechangelog -l - -S Version 2>/dev/null)
[ "$changelog_version" = "$version" ] || fail "the changelog's latest version is '$changelog_version', not $version"
grep -q '^License: Expat$' "$doc/copyright" || fail "the copyright file names no Expat licence"
"$work/unpacked/usr/bin/lanternbook" --help >/dev/null || fail "the packaged lanternbook --help failed"

tgz=$work/lanternbook-$version-linux-$(uname -m).tar.gz
if [ -f "$tgz" ]; then
    top=lanternbook-$version-linux-$(uname -m)
    listed_tgz=$(tar -tzf "$tgz" | grep -v '/$' | sorted)
    expected_tgz=$(for file in $installed_files share/zsh/site-functions/_lanternbook; do echo "$top/$file"; done | sorted)
    [ "$listed_tgz" = "$expected_tgz" ] || fail "the TGZ holds '$listed_tgz', expected '$expected_tgz'"
else
    fail "no $(basename "$tgz") made"
fi

if [ $failed -eq 0 ]; then
    echo "$(basename "$deb"): $listed"
    echo "Depends: $(dpkg-deb -f "$deb" Depends); Recommends: $(dpkg-deb -f "$deb" Recommends); lintian: no error"
    echo "$(basename "$tgz"): $listed_tgz"
fi
exit $failed
