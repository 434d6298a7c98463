#!/usr/bin/env bash
# The bash, zsh and fish completions: each parses in its shell; bash and fish
# answer the same queries with the same words; and both offer every command
# and long option that the program's --help lists.
# Usage: check-completions.sh PROGRAM COMPLETIONS_DIR
set -uo pipefail
program=${1:?usage: check-completions.sh PROGRAM COMPLETIONS_DIR}
dir=$(cd "${2:?completions dir}" && pwd)
source "$(dirname "$0")/cli-help.sh"
failed=0
passed=0
fail() { echo "FAIL: $*"; failed=1; }

bash -n "$dir/lanternbook.bash" || fail "bash -n lanternbook.bash"
zsh -n "$dir/_lanternbook" || fail "zsh -n _lanternbook"
fish -n "$dir/lanternbook.fish" || fail "fish -n lanternbook.fish"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/keyroot"
touch "$work/keyfile"

# Each shell answers a batch of command lines (one a line): for each, its
# words sorted on one line, a trailing slash of a folder dropped.
bash_answers() {
    (cd "$work" && bash --norc --noprofile -c '
        source /usr/share/bash-completion/bash_completion || exit 1
        source "$1" || exit 1
        compopt() { :; }  # only valid inside a completion that readline started
        while IFS= read -r line; do
            read -ra COMP_WORDS <<<"$line"
            [[ $line == *" " ]] && COMP_WORDS+=("")
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
            COMP_LINE=$line
            COMP_POINT=${#line}
            COMPREPLY=()
            "$(complete -p lanternbook | sed -n "s/.*-F \([^ ]*\) .*/\1/p")" lanternbook \
                "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
            printf "%s\n" "${COMPREPLY[@]}" | sed "s:/$::" | sort | tr "\n" " "
            echo
        done' bash "$dir/lanternbook.bash")
}
fish_answers() {
    (cd "$work" && fish --no-config -c '
        source $argv[1]; or exit 1
        while read -l line
            complete -C "$line" | string replace -r "\t.*" "" | string replace -r "/\$" "" | sort | string join " "
        end' "$dir/lanternbook.fish")
}

# command line | words expected, sorted
queries=(
    "lanternbook |erase find help set show"
    "lanternbook help |erase find set show"
    "lanternbook help --|--help"
    "lanternbook find --|--help"
    "lanternbook set --period |everything from: last: since-last"
    "lanternbook set --period la|last:"
    "lanternbook set --range-button |off on"
    "lanternbook set --vdo o|off on"
    "lanternbook set --data det|detailed-speed"
    "lanternbook set --data activities,te|activities,technical-data"
    "lanternbook show --key key|keyroot"
    "lanternbook erase --key key|keyroot"
)
# Every option of every command as --help lists it, after "COMMAND --".
commands=$(help_commands "$program")
[ -n "$commands" ] || fail "$program --help lists no command"
for command in $commands; do
    [[ " ${queries[0]#*|} " == *" $command "* ]] || fail "'${queries[0]%%|*}' is not expected to offer $command"
    options=$(help_options "$program" "$command" | sort | tr '\n' ' ')
    queries+=("lanternbook $command --|${options% }")
done

lines=$(printf '%s\n' "${queries[@]}" | cut -d'|' -f1)
for shell in bash fish; do
    mapfile -t answers < <(${shell}_answers <<<"$lines")
    for index in "${!queries[@]}"; do
        line=${queries[$index]%%|*}
        expected=${queries[$index]#*|}
        answer=${answers[$index]:-}
        answer=${answer% }
        if [ "$answer" = "$expected" ]; then
            passed=$((passed + 1))
        else
            fail "$shell completes '$line' to '$answer', expected '$expected'"
        fi
    done
done
[ $failed -eq 0 ] && echo "$passed passed, 0 failed"
exit $failed
