# Sourced by the checks of the man page and the completions: what the
# program's own help lists, so that neither can fall behind the program.
#
# The help has sections headed "Commands:", "Options:" and so on, each a
# table of rows "  LABEL  TEXT" (the text wrapped below in its column) that
# ends at a blank line.

# help_rows PROGRAM [COMMAND] SECTION: the labels of a section's rows, one a line.
help_rows() {
    local section=${*: -1}
    "${@:1:$#-1}" --help | awk -v wanted="$section:" '
        /^$/ { section = ""; next }
        /^[A-Z][a-z]*:$/ { section = $0; next }
        section == wanted && /^  [^ ]/ {
            label = substr($0, 3)
            sub(/  .*/, "", label)  # two spaces part a label from its text
            print label
        }'
}

# help_commands PROGRAM: the commands, one a line.
help_commands() {
    help_rows "$1" Commands | awk '{ print $1 }'
}

# help_options PROGRAM [COMMAND]: every name of every option, short and
# long ("-h, --help" gives both), one a line.
help_options() {
    help_rows "$@" Options | awk '{
        count = split($0, names, ", ")
        for (i = 1; i <= count; i++) {
            sub(/ .*/, "", names[i])  # the value, "--key DIR"
            print names[i]
        }
    }'
}
