#!/usr/bin/env bash
# The man page: no finding of `mandoc -T lint`, and every command and long
# option that the program's --help lists is described in it.
# Usage: check-man-page.sh PROGRAM MAN_PAGE
set -uo pipefail
program=${1:?usage: check-man-page.sh PROGRAM MAN_PAGE}
page=${2:?man page}
source "$(dirname "$0")/cli-help.sh"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

lint=$(mandoc -T lint "$page" 2>&1) || fail "mandoc -T lint: $lint"

# The page as a reader sees it, without the overstrikes of bold and underline.
rendered=$(mandoc -T ascii "$page" | sed 's/.\x08//g')
section() { awk -v name="$1" '/^[A-Z]/ { inside = ($0 == name); next } inside' <<<"$rendered"; }
commands_section=$(section COMMANDS)
options_section=$(section OPTIONS)

commands=$(help_commands "$program")
[ -n "$commands" ] || fail "$program --help lists no command"
checked=0
for command in $commands; do
    grep -Eq "^ {7}$command( |$)" <<<"$commands_section" || fail "command $command is not under COMMANDS"
    for option in $(help_options "$program" "$command"); do
        grep -Eq -- "^ {7}(.*, )?$option( |,|$)" <<<"$options_section" ||
            fail "option $option of $command is not under OPTIONS"
        checked=$((checked + 1))
    done
done
[ $failed -eq 0 ] && echo "$(basename "$page"): lint clean; $(wc -w <<<"$commands") commands and $checked options described"
exit $failed
