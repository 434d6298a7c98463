#!/usr/bin/env bash
# A host builds against the release as shipped: tests/host/link_test.c, plain
# C that includes only lanternbook.h, compiled by the MinGW C compiler and
# linked once against lib/liblanternbook.dll.a and once against
# lib/lanternbook.lib of the unpacked ZIP. Each program imports both
# functions from lanternbook.dll and, run under Wine beside the DLL with an
# emulated key on K:, prints the key's root.
# Usage: check-release-host.sh win32|win64 BUILD_DIR VERSION
set -uo pipefail
arch=${1:?usage: check-release-host.sh win32|win64 BUILD_DIR VERSION}
build_dir=$(cd "${2:?build dir}" && pwd)
version=${3:?version}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
case "$arch" in
    win32) triplet=i686-w64-mingw32 ;;
    win64) triplet=x86_64-w64-mingw32 ;;
    *) echo "FAIL: unknown architecture $arch"; exit 1 ;;
esac
failed=0
fail() { echo "FAIL: $*"; failed=1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build_dir" && cpack -G ZIP -B "$work" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; echo "FAIL: cpack -G ZIP failed in $build_dir"; exit 1; }
unzip -q "$work/lanternbook-$version-$arch.zip" -d "$work" || { echo "FAIL: cannot unpack the ZIP"; exit 1; }
release=$work/lanternbook-$version-$arch

programs=()
for library in liblanternbook.dll.a lanternbook.lib; do
    program=link-test-${library%%.*}.exe
    if ! "$triplet-gcc" -std=c99 -Wall -Wextra -Wpedantic -Werror -I "$release/include" \
            "$source_dir/tests/host/link_test.c" "$release/lib/$library" -o "$release/$program"; then
        fail "link_test.c does not build against $library"
        continue
    fi
    imported=$("$triplet-objdump" -p "$release/$program" |
        awk '/DLL Name:/ { dll = $3 } dll == "lanternbook.dll" && NF == 3 && $2 ~ /^[0-9]+$/ { print $3 }' |
        sort | tr '\n' ' ')
    [ "$imported" = "find_device load " ] || fail "$program imports '$imported' from lanternbook.dll"
    programs+=("$program")
done

export LANTERNBOOK_WINE_ARCH=$arch
source "$source_dir/scripts/wine-env.sh"
ensure_prefix
stop_wine
unmap_keys
fresh_key K >/dev/null
for program in ${programs[@]+"${programs[@]}"}; do
    printed=$(cd "$release" && timeout 60 wine "./$program" 2>/dev/null | tr -d '\r')
    status=$?
    [ "$status" -eq 0 ] && [ "$printed" = 'K:\' ] ||
        fail "$program exited $status and printed '$printed', expected 'K:\\'"
done
stop_wine
unmap_keys

[ $failed -eq 0 ] && echo "${#programs[@]} C hosts built against the $arch release; each printed K:\\"
exit $failed
