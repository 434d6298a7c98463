#!/usr/bin/env bash
# The bash, zsh and fish completions: each parses in its shell; zsh names
# every command and option of the program's help; bash (with and without the
# bash-completion package's helpers) and fish answer the same queries with
# the same words: the commands and each command's options exactly as the
# program's help lists them, also after the program's options, the values of
# --period, --range-button, --vdo and --data (each one the program takes),
# folders only for --key and files for --from.
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
# words sorted on one line, a trailing slash of a folder dropped. Bash is
# asked once with the bash-completion package's helpers loaded, once without.
bash_answers() {
    (cd "$work" && bash --norc --noprofile -c '
        if [ "$2" = helpers ]; then source /usr/share/bash-completion/bash_completion || exit 1; fi
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
        done' bash "$dir/lanternbook.bash" "$1")
}
bash_helpers_answers() { bash_answers helpers; }
bash_alone_answers() { bash_answers alone; }
fish_answers() {
    (cd "$work" && fish --no-config -c '
        source $argv[1]; or exit 1
        while read -l line
            complete -C "$line" | string replace -r "\t.*" "" | string replace -r "/\$" "" | sort | string join " "
        end' "$dir/lanternbook.fish")
}
words() { sort | tr '\n' ' ' | sed 's/ $//'; }

# option | its values, sorted
values=(
    "--period|everything from: last: since-last"
    "--range-button|off on"
    "--vdo|off on"
    "--data|activities detailed-speed driver-card-via-tachograph events-and-faults technical-data"
)
# command line | words expected, sorted
queries=(
    "lanternbook set --period la|last:"
    "lanternbook set --vdo o|off on"
    "lanternbook set --data det|detailed-speed"
    "lanternbook set --data activities,te|activities,technical-data"
    "lanternbook set --from key|keyfile keyroot"
)
for value in "${values[@]}"; do
    queries+=("lanternbook set ${value%%|*} |${value#*|}")
done

commands=$(help_commands "$program")
[ -n "$commands" ] || fail "$program --help lists no command"
queries+=("lanternbook |$(words <<<"$commands")" "lanternbook help |$(words <<<"$commands")")
program_options=$(help_options "$program")
[ -n "$program_options" ] || fail "$program --help lists no option"
queries+=("lanternbook -|$(words <<<"$program_options")"
          "lanternbook --|$(grep -- '^--' <<<"$program_options" | words)")
for command in $commands; do
    options=$(help_options "$program" "$command")
    [ -n "$options" ] || fail "$program $command --help lists no option"
    queries+=("lanternbook $command -|$(words <<<"$options")"
              "lanternbook $command --|$(grep -- '^--' <<<"$options" | words)")
    if grep -qx -- --key <<<"$options"; then
        queries+=("lanternbook $command --key key|keyroot"
                  "lanternbook -k keyroot $command --|$(grep -- '^--' <<<"$options" | words)")
    fi
done

lines=$(printf '%s\n' "${queries[@]}" | cut -d'|' -f1)
for shell in bash_helpers bash_alone fish; do
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

# zsh is not asked, only read: each command in its list, and each option in
# the _arguments of its command (the program's own in the first).
zsh_file=$(<"$dir/_lanternbook")
# zsh_offers WHERE TEXT NAME...: each NAME starts an _arguments entry in
# TEXT, or stands in braces there ({-h,--help}).
zsh_offers() {
    local where=$1 text=$2 name
    shift 2
    for name in "$@"; do
        if grep -Eq -- "(^|[ '{,)])$name([=+[,}]|\$)" <<<"$text"; then
            passed=$((passed + 1))
        else
            fail "_lanternbook does not offer $name $where"
        fi
    done
}
zsh_offers "before a command" "$(awk '/_arguments -C/, /case \$state/' <<<"$zsh_file")" $program_options
for command in $commands; do
    grep -q "^ *'$command:" <<<"$zsh_file" || fail "_lanternbook does not list the command $command"
    zsh_offers "after $command" "$(awk -v start="^ *$command\\)$" '$0 ~ start, /;;/' <<<"$zsh_file")" \
        $(help_options "$program" "$command")
done

# Each value offered is one the program takes, in a dry run on a folder;
# "last:" and "from:" with an example after them.
for value in "${values[@]}"; do
    option=${value%%|*}
    for word in ${value#*|}; do
        case $word in
            last:) word+=45 ;;
            from:) word+=2020-01-01..2020-01-31 ;;
            *:) fail "no example for $option $word"; continue ;;
        esac
        base=(--data activities)
        [ "$option" = --data ] && base=()
        if refusal=$("$program" set --key "$work/keyroot" --force --dry-run "${base[@]}" "$option" "$word" 2>&1 >/dev/null); then
            passed=$((passed + 1))
        else
            fail "$program set refuses $option $word: $refusal"
        fi
    done
done
[ $failed -eq 0 ] && echo "$passed passed, 0 failed"
exit $failed
