# fish completion for brindle-cli: commands, options and their values.
# Installed as share/fish/vendor_completions.d/brindle-cli.fish.

# Whether the word being completed is the value of an option that takes one (--code ABC,
# --code=ABC): then it is no file.
function __brindle_cli_value
    set -l token (commandline -ct)
    string match -qr -- '^--[a-z-]+=' $token; and return 0
    set -l previous (commandline -opc)[-1]
    contains -- $previous --code --settings --layout --baud --data-bits --stop-bits --parity --flow --input \
        --command-set --led-flash --prompt --connects --version-report --data-mode --upgrades --status-info \
        --vid --pid --manufacturer --product --dir-prefix
end

# Profiles (*.json in any letter case), and folders on the way to them.
function __brindle_cli_profiles
    set -l token (commandline -ct | string replace -r -- '^--settings=' '')
    __fish_complete_path "$token" | string match -rie -- '(?:/|\.json)\t'
end

set -l commands info write diff help
# No file names but where a file belongs: a value such as --code=AB is never one.
complete -c brindle-cli -f
complete -c brindle-cli -n "__fish_seen_subcommand_from info write diff; and not __fish_seen_subcommand_from help; and not __brindle_cli_value" -F
complete -c brindle-cli -n "not __fish_seen_subcommand_from $commands" -f -a info -d 'Describe a firmware file'
complete -c brindle-cli -n "not __fish_seen_subcommand_from $commands" -f -a write -d 'Write a customised copy'
complete -c brindle-cli -n "not __fish_seen_subcommand_from $commands" -f -a diff -d 'Compare two firmware files'
complete -c brindle-cli -n "not __fish_seen_subcommand_from $commands" -f -a help -d 'Describe the program or a command'
complete -c brindle-cli -n "__fish_seen_subcommand_from help; and test (count (commandline -opc)) -eq 2" -f -a 'info write diff'
complete -c brindle-cli -s h -l help -d 'Show help'
complete -c brindle-cli -n "not __fish_seen_subcommand_from $commands" -s v -l version -d 'Show the version'
complete -c brindle-cli -n "__fish_seen_subcommand_from info diff" -l json -d 'Print one JSON object'

set -l w "__fish_seen_subcommand_from write"
complete -c brindle-cli -n $w -x -l code -d 'Version code: 3 letters A-Z or digits 0-9'
complete -c brindle-cli -n $w -x -l settings -a '(__brindle_cli_profiles)' -d 'Apply a profile'
complete -c brindle-cli -n $w -x -l layout -a 'rom quf bld' -d 'Layout of the image written to standard output (TARGET -)'
complete -c brindle-cli -n $w -l force -d 'Replace TARGET if it exists'
complete -c brindle-cli -n $w -l dry-run -d 'Write nothing; print the summary and the changes'
complete -c brindle-cli -n $w -x -l baud -a '300 600 1200 2400 4800 9600 19200 38400 57600 115200 230400 460800 921600 1000000 1500000 2000000 3000000' -d 'Baud rate'
complete -c brindle-cli -n $w -x -l data-bits -a '7 8' -d 'Data bits'
complete -c brindle-cli -n $w -x -l stop-bits -a '1 2' -d 'Stop bits'
complete -c brindle-cli -n $w -x -l parity -a 'none odd even' -d 'Parity'
complete -c brindle-cli -n $w -x -l flow -a 'none cts-rts dtr-dsr xon-xoff' -d 'Flow control'
complete -c brindle-cli -n $w -x -l input -a 'ipa iph' -d 'Initial input mode'
complete -c brindle-cli -n $w -x -l command-set -a 'ecs scs' -d 'Initial command set'
complete -c brindle-cli -n $w -x -l led-flash -a 'on off' -d 'LED flash at power-on'
complete -c brindle-cli -n $w -x -l prompt -a 'show hide' -d 'The monitor prompt'
complete -c brindle-cli -n $w -x -l connects -a 'show hide' -d 'Device connect messages'
complete -c brindle-cli -n $w -x -l version-report -a 'show hide' -d 'The version report'
complete -c brindle-cli -n $w -x -l data-mode -a 'allow disable' -d 'Data mode'
complete -c brindle-cli -n $w -x -l upgrades -a 'allow disable' -d 'Firmware upgrades'
complete -c brindle-cli -n $w -x -l status-info -a 'allow disable' -d 'Sonette status information'
complete -c brindle-cli -n $w -x -l vid -d 'USB vendor ID, hexadecimal'
complete -c brindle-cli -n $w -x -l pid -d 'USB product ID, hexadecimal'
complete -c brindle-cli -n $w -x -l manufacturer -d 'USB manufacturer string'
complete -c brindle-cli -n $w -x -l product -d 'USB product string'
complete -c brindle-cli -n $w -x -l dir-prefix -d 'Target directory prefix: 4 letters or digits'
