# fish completion for lanternbook

set -l commands find show set erase recover help
set -l data activities events-and-faults detailed-speed technical-data driver-card-via-tachograph
set -l top "not __fish_seen_subcommand_from $commands"

complete -c lanternbook -f
complete -c lanternbook -n $top -s h -l help -d 'Show the help'
complete -c lanternbook -n $top -s V -l version -d 'Show the version'
complete -c lanternbook -n $top -s k -l key -x -a "(__fish_complete_directories)" -d "The key's root folder"
complete -c lanternbook -n $top -l json -d 'Print JSON'
complete -c lanternbook -n $top -s q -l quiet -d 'Print nothing but errors'
complete -c lanternbook -n $top -a find -d 'List the roots of the attached keys'
complete -c lanternbook -n $top -a show -d "Show the key's configuration"
complete -c lanternbook -n $top -a set -d 'Save a configuration as the dialog would'
complete -c lanternbook -n $top -a erase -d 'Delete the downloads in CARD and TACHO'
complete -c lanternbook -n $top -a recover -d 'List or finish the formats cut short'
complete -c lanternbook -n $top -a help -d 'Show the help of a command'

# help takes one command, right after it.
complete -c lanternbook -n "__fish_seen_subcommand_from help; and test (count (commandline -opc)) -eq 2" -a "$commands"
complete -c lanternbook -n "__fish_seen_subcommand_from $commands" -s h -l help -d 'Show the help'
complete -c lanternbook -n "__fish_seen_subcommand_from show set erase recover" -s k -l key -x -a "(__fish_complete_directories)" -d "The key's root folder"
complete -c lanternbook -n "__fish_seen_subcommand_from show set erase" -l force -d 'Use a --key folder that looks like no key'
complete -c lanternbook -n "__fish_seen_subcommand_from show" -l all -d 'Every key attached'
complete -c lanternbook -n "__fish_seen_subcommand_from find show set erase recover" -l json -d 'Print JSON'
complete -c lanternbook -n "__fish_seen_subcommand_from find show set erase recover" -s q -l quiet -d 'Print nothing but errors'
complete -c lanternbook -n "__fish_seen_subcommand_from set" -l from -r -F -d 'The choices in a JSON file (- for standard input)'
complete -c lanternbook -n "__fish_seen_subcommand_from set" -l data -x -a "(__fish_complete_list , 'printf \"%s\n\" $data')" -d 'The data choices that are on'
complete -c lanternbook -n "__fish_seen_subcommand_from set" -l period -x -a "since-last everything last: from:" -d 'The period to download'
complete -c lanternbook -n "__fish_seen_subcommand_from set" -l range-button -x -a "on off" -d "The range is chosen with the key's button"
complete -c lanternbook -n "__fish_seen_subcommand_from set" -l vdo -x -a "on off" -d 'VDO special data'
complete -c lanternbook -n "__fish_seen_subcommand_from set erase" -s n -l dry-run -d 'Write nothing; show what would be done'
complete -c lanternbook -n "__fish_seen_subcommand_from erase recover" -s y -l yes -d 'Do not ask'
complete -c lanternbook -n "__fish_seen_subcommand_from recover" -l from -x -a "(__fish_complete_directories)" -d 'The backup folder to put back'
complete -c lanternbook -n "__fish_seen_subcommand_from recover" -l in -x -a "(__fish_complete_directories)" -d 'Where the backup folders are'
