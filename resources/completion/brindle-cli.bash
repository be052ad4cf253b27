# bash completion for brindle-cli: commands, options, their values and file names.
# Installed as share/bash-completion/completions/brindle-cli.

_brindle_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local command= i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            info|write|diff|help) command=${COMP_WORDS[i]}; break ;;
        esac
    done

    # The values of write's options.
    local values=
    case $prev in
        --baud) values="300 600 1200 2400 4800 9600 19200 38400 57600 115200 230400 460800 921600 1000000 1500000 2000000 3000000" ;;
        --data-bits) values="7 8" ;;
        --stop-bits) values="1 2" ;;
        --parity) values="none odd even" ;;
        --flow) values="none cts-rts dtr-dsr xon-xoff" ;;
        --input) values="ipa iph" ;;
        --command-set) values="ecs scs" ;;
        --led-flash) values="on off" ;;
        --prompt|--connects|--version-report) values="show hide" ;;
        --data-mode|--upgrades|--status-info) values="allow disable" ;;
        --code|--vid|--pid|--manufacturer|--product|--dir-prefix) COMPREPLY=(); return ;;
        --settings)
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -f -X '!*.[jJ][sS][oO][nN]' -- "$cur") $(compgen -d -- "$cur"))
            return ;;
    esac
    if [ -n "$values" ] && [ "$command" = write ]; then
        COMPREPLY=($(compgen -W "$values" -- "$cur"))
        return
    fi

    if [[ $cur == -* ]]; then
        local options="--help --version"
        case $command in
            info|diff) options="--json --help" ;;
            write) options="--code --settings --force --dry-run --baud --data-bits --stop-bits --parity --flow
                --input --command-set --led-flash --prompt --connects --version-report --data-mode --upgrades
                --status-info --vid --pid --manufacturer --product --dir-prefix --help" ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    if [ -z "$command" ]; then
        COMPREPLY=($(compgen -W "info write diff help" -- "$cur"))
        return
    fi
    if [ "$command" = help ]; then
        COMPREPLY=($(compgen -W "info write diff" -- "$cur"))
        return
    fi
    # Firmware files, and folders on the way to them.
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -- "$cur"))
}
complete -F _brindle_cli brindle-cli
