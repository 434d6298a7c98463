# Sourced by the checks of the man page and the completions: what the
# program's own --help lists, so that neither can fall behind the program.

# help_commands PROGRAM: the commands, one a line.
help_commands() {
    "$1" --help | awk '/^[A-Za-z]+:$/ { section = $0; next }
                       section == "Subcommands:" && /^  [a-z]/ { print $1 }'
}

# help_options PROGRAM [COMMAND]: the long options, one a line.
help_options() {
    local program=$1
    shift
    "$program" "$@" --help | awk '/^[A-Za-z]+:$/ { section = $0; next }
                                  section == "Options:" && /^  -/ { print $1 }' |
        tr ',' '\n' | grep -- '^--'
}
