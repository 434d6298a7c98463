#!/usr/bin/env bash
# The command line alone: a tree configured with -DLANTERNBOOK_CLI_ONLY=ON
# and GoogleTest out of reach builds the program and no other (no test
# program), as Release, and `cmake --install` puts exactly the program, its
# man page, its completions (zsh's where zsh looks for the prefix's), its
# copyright and changelog, the program running from there.
# Usage: check-install.sh SOURCE_DIR WORK_DIR
set -uo pipefail
source_dir=$(cd "${1:?usage: check-install.sh SOURCE_DIR WORK_DIR}" && pwd)
work=${2:?work dir}
failed=0
fail() { echo "FAIL: $*"; failed=1; }

rm -rf "$work"
mkdir -p "$work"
build=$work/build
root=$work/root
if ! cmake -S "$source_dir" -B "$build" -DLANTERNBOOK_CLI_ONLY=ON -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
        >"$work/configure.log" 2>&1; then
    cat "$work/configure.log"
    echo "FAIL: a CLI-only tree does not configure without GoogleTest"
    exit 1
fi
if ! cmake --build "$build" -j2 >"$work/build.log" 2>&1; then
    tail -n 30 "$work/build.log"
    echo "FAIL: a CLI-only tree does not build"
    exit 1
fi
programs=$(cd "$build" && find . -maxdepth 1 -type f -perm -u+x | sort | tr '\n' ' ')
[ "$programs" = "./lanternbook " ] || fail "the CLI-only tree built the programs '$programs', expected only lanternbook"
grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$build/CMakeCache.txt" || fail "the CLI-only tree is not a Release build"

# A local install puts zsh's function where zsh looks for local ones, /usr's where packages put theirs.
for prefix in /usr/local /usr; do
    zsh_folder=site-functions
    [ "$prefix" = /usr ] && zsh_folder=vendor-completions
    destdir=$root/$(basename "$prefix")
    DESTDIR=$destdir cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
    listed=$(cd "$destdir" && find . -type f -o -type l | LC_ALL=C sort | tr '\n' ' ')
    expected=$(for file in bin/lanternbook share/bash-completion/completions/lanternbook \
        share/doc/lanternbook/changelog.gz share/doc/lanternbook/copyright \
        share/fish/vendor_completions.d/lanternbook.fish share/man/man1/lanternbook.1.gz \
        share/zsh/$zsh_folder/_lanternbook; do echo ".$prefix/$file"; done | LC_ALL=C sort | tr '\n' ' ')
    [ "$listed" = "$expected" ] || fail "installed with --prefix $prefix '$listed', expected '$expected'"
    [ -x "$destdir$prefix/bin/lanternbook" ] || fail "bin/lanternbook is not executable"
    "$destdir$prefix/bin/lanternbook" --help >/dev/null || fail "the installed lanternbook --help failed"
done

rm -rf "$work"
[ $failed -eq 0 ] && echo "CLI-only tree: builds only lanternbook, installs $listed"
exit $failed
