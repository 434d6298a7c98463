# fish completion for lanternbook

set -l commands find show set erase help
set -l data activities events-and-faults detailed-speed technical-data driver-card-via-tachograph

complete -c lanternbook -f
complete -c lanternbook -n "not __fish_seen_subcommand_from $commands" -s h -l help -d 'Show the help'
complete -c lanternbook -n "not __fish_seen_subcommand_from $commands" -s V -l version -d 'Show the version'
complete -c lanternbook -n "not __fish_seen_subcommand_from $commands" -a find -d 'List the roots of the attached keys'
complete -c lanternbook -n "not __fish_seen_subcommand_from $commands" -a show -d "Show the key's configuration"
complete -c lanternbook -n "not __fish_seen_subcommand_from $commands" -a set -d 'Save a configuration as the dialog would'
complete -c lanternbook -n "not __fish_seen_subcommand_from $commands" -a erase -d 'Delete the downloads in CARD and TACHO'
complete -c lanternbook -n "not __fish_seen_subcommand_from $commands" -a help -d 'Show the help of a command'

complete -c lanternbook -n "__fish_seen_subcommand_from help" -a "find show set erase"
complete -c lanternbook -n "__fish_seen_subcommand_from $commands" -s h -l help -d 'Show the help'
complete -c lanternbook -n "__fish_seen_subcommand_from show set erase" -l key -x -a "(__fish_complete_directories)" -d "The key's root folder"
complete -c lanternbook -n "__fish_seen_subcommand_from show set" -l json -d 'Print JSON'
complete -c lanternbook -n "__fish_seen_subcommand_from set" -l data -x -a "(__fish_complete_list , 'printf \"%s\n\" $data')" -d 'The data choices that are on'
complete -c lanternbook -n "__fish_seen_subcommand_from set" -l period -x -a "since-last everything last: from:" -d 'The period to download'
complete -c lanternbook -n "__fish_seen_subcommand_from set" -l range-button -x -a "on off" -d "The range is chosen with the key's button"
complete -c lanternbook -n "__fish_seen_subcommand_from set" -l vdo -x -a "on off" -d 'VDO special data'
complete -c lanternbook -n "__fish_seen_subcommand_from set" -l dry-run -d 'Write nothing; print the result and its 32 bytes'
complete -c lanternbook -n "__fish_seen_subcommand_from erase" -l yes -d 'Do not ask'
