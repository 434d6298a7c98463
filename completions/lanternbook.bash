# bash completion for lanternbook                          -*- shell-script -*-

_lanternbook() {
    local cur prev words cword split
    _init_completion -s -n : || return

    local commands="find show set erase recover help"
    local data="activities events-and-faults detailed-speed technical-data driver-card-via-tachograph"
    local command="" word
    for word in "${words[@]:1:cword-1}"; do
        case "$word" in
            find | show | set | erase | recover | help)
                command=$word
                break
                ;;
        esac
    done

    case "$prev" in
        --key | --in)
            _filedir -d
            return
            ;;
        --from)
            # A file, or - for standard input, which needs no completing.
            _filedir
            return
            ;;
        --period)
            COMPREPLY=($(compgen -W "since-last everything last: from:" -- "$cur"))
            [[ ${COMPREPLY-} == *: ]] && compopt -o nospace
            __ltrim_colon_completions "$cur"
            return
            ;;
        --range-button | --vdo)
            COMPREPLY=($(compgen -W "on off" -- "$cur"))
            return
            ;;
        --data)
            # A comma-separated list: complete the name after the last comma.
            local done_part="" name_part=$cur
            if [[ $cur == *,* ]]; then
                done_part=${cur%,*},
                name_part=${cur##*,}
            fi
            COMPREPLY=($(compgen -P "$done_part" -W "$data" -- "$name_part"))
            compopt -o nospace
            return
            ;;
    esac

    $split && return

    local options
    case "$command" in
        "") options="-h --help -V --version" ;;
        find) options="--json -h --help" ;;
        show) options="--key --all --json -h --help" ;;
        set) options="--key --force --from --data --period --range-button --vdo --dry-run --json -h --help" ;;
        erase) options="--key --force --yes --dry-run --json -h --help" ;;
        recover) options="--key --from --in --yes --json -h --help" ;;
        help) options="-h --help" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    elif [[ $command == help && $prev == help ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    fi
} &&
    complete -F _lanternbook lanternbook
