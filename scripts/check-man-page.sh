#!/usr/bin/env bash
# The man page: no finding of `mandoc -T lint`; every command of the
# program's --help under COMMANDS, each option of a command's --help in that
# command's own list, and every option of the program's --help under OPTIONS
# (where -h and --help, which every command takes too, are described once).
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
# A command's entry: from its tag, 7 columns in, to the next such tag.
command_entry() {
    awk -v name="$1" '/^       [^ ]/ { split($0, words, " "); inside = (words[1] == name) } inside' \
        <<<"$commands_section"
}
# described OPTION INDENT TEXT: a list tag naming OPTION at INDENT columns,
# such as "-h, --help" or "--key dir", alone or two spaces before its text.
described() {
    local names='((-[A-Za-z]|--[a-z-]+), )*'
    grep -Eq -- "^ {$2}$names$1(, --[a-z-]+)*( [a-z|]+)?( {2,}|$)" <<<"$3"
}

program_options=$(help_options "$program")
[ -n "$program_options" ] || fail "$program --help lists no option"
for option in $program_options; do
    described "$option" 7 "$options_section" || fail "option $option is not under OPTIONS"
done
commands=$(help_commands "$program")
[ -n "$commands" ] || fail "$program --help lists no command"
checked=0
for command in $commands; do
    entry=$(command_entry "$command")
    [ -n "$entry" ] || fail "command $command is not under COMMANDS"
    options=$(help_options "$program" "$command")
    [ -n "$options" ] || fail "$program $command --help lists no option"
    for option in $options; do
        if grep -qx -- "$option" <<<"$program_options"; then
            continue
        fi
        described "$option" 14 "$entry" || fail "option $option of $command is not in its list under COMMANDS"
        checked=$((checked + 1))
    done
done
[ $failed -eq 0 ] &&
    echo "$(basename "$page"): lint clean; $(wc -w <<<"$commands") commands, $checked command options and" \
        "$(wc -w <<<"$program_options") program options described"
exit $failed
