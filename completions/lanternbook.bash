# bash completion for lanternbook                          -*- shell-script -*-
#
# Plain bash: it needs none of the bash-completion package's helpers. That
# package loads this file by itself; without it, source the file from
# ~/.bashrc.

_lanternbook() {
    local commands="find show set erase recover help"
    local data="activities events-and-faults detailed-speed technical-data driver-card-via-tachograph"
    # The words as typed, split at blanks only: bash also splits at ':' and '=',
    # which "last:30" and "--key=DIR" hold.
    local line=${COMP_LINE:0:COMP_POINT}
    local -a words
    read -ra words <<<"$line"
    [[ $line == *[[:blank:]] || ${#words[@]} -eq 0 ]] && words+=("")
    local cur=${words[${#words[@]} - 1]}
    local prev=""
    ((${#words[@]} > 1)) && prev=${words[${#words[@]} - 2]}
    if [[ $cur == --*=* ]]; then
        prev=${cur%%=*}
        cur=${cur#*=}
    fi

    local command="" word expects_value=""
    for word in "${words[@]:1:${#words[@]}-2}"; do
        if [[ -n $expects_value ]]; then
            expects_value=""
        elif [[ $word == -k || $word == --key ]]; then
            expects_value=1
        elif [[ $word != -* && -z $command ]]; then
            command=$word
        fi
    done

    local -a replies=()
    local value_given=1
    case "$prev" in
        -k | --key | --in)
            mapfile -t replies < <(compgen -d -- "$cur")
            compopt -o filenames 2>/dev/null
            ;;
        --from)
            if [[ $command == recover ]]; then
                mapfile -t replies < <(compgen -d -- "$cur")
            else
                # A file, or - for standard input, which needs no completing.
                mapfile -t replies < <(compgen -f -- "$cur")
            fi
            compopt -o filenames 2>/dev/null
            ;;
        --period)
            mapfile -t replies < <(compgen -W "since-last everything last: from:" -- "$cur")
            [[ ${replies[*]-} == *: ]] && compopt -o nospace 2>/dev/null
            ;;
        --range-button | --vdo)
            mapfile -t replies < <(compgen -W "on off" -- "$cur")
            ;;
        --data)
            # A comma-separated list: the name after the last comma.
            local done_part="" name_part=$cur
            if [[ $cur == *,* ]]; then
                done_part=${cur%,*},
                name_part=${cur##*,}
            fi
            mapfile -t replies < <(compgen -P "$done_part" -W "$data" -- "$name_part")
            compopt -o nospace 2>/dev/null
            ;;
        *) value_given="" ;;
    esac

    if [[ -z $value_given ]]; then
        local options
        case "$command" in
            "") options="-h --help -V --version -k --key --json -q --quiet" ;;
            find) options="--json -q --quiet -h --help" ;;
            show) options="-k --key --force --all --json -q --quiet -h --help" ;;
            set) options="-k --key --force --from --data --period --range-button --vdo -n --dry-run --json -q --quiet -h --help" ;;
            erase) options="-k --key --force -y --yes -n --dry-run --json -q --quiet -h --help" ;;
            recover) options="-k --key --from --in -y --yes --json -q --quiet -h --help" ;;
            help) options="-h --help" ;;
        esac
        if [[ $cur == -* ]]; then
            mapfile -t replies < <(compgen -W "$options" -- "$cur")
        elif [[ -z $command || ($command == help && $prev == help) ]]; then
            mapfile -t replies < <(compgen -W "$commands" -- "$cur")
        fi
    fi

    # Bash replaces only what follows the last ':' or '=' of the word: the
    # part before it is taken off each reply.
    local cut=${cur%"${cur##*[:=]}"}
    if [[ -n $cut && $COMP_WORDBREAKS == *[:=]* ]]; then
        replies=("${replies[@]#"$cut"}")
    fi
    COMPREPLY=("${replies[@]}")
} &&
    complete -F _lanternbook lanternbook
