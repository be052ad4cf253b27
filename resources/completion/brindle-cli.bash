# bash completion for brindle-cli: commands, options, their values and file names.
# Installed as share/bash-completion/completions/brindle-cli.

# File names into COMPREPLY, as the shell quotes them: through bash-completion's _filedir (names
# with blanks, quotes and any letters, a quoted word, ~), or, where this file is sourced without
# it, one name a line from compgen. $1: the extension to offer besides folders (json), or none.
_brindle_cli_files()
{
    if declare -F _filedir >/dev/null; then
        _filedir "$@"
        return
    fi
    compopt -o filenames 2>/dev/null
    local IFS=$'\n'
    if [ -n "${1-}" ]; then
        # Any letter case, without extglob: json gives [jJ][sS][oO][nN].
        local pattern= c
        for ((c = 0; c < ${#1}; c++)); do
            local letter=${1:c:1}
            pattern+="[${letter,,}${letter^^}]"
        done
        COMPREPLY=($(compgen -f -X "!*.$pattern" -- "$cur") $(compgen -d -- "$cur"))
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}

_brindle_cli()
{
    local cur prev words cword
    if declare -F _init_completion >/dev/null; then
        # -s: "--settings=pro" is the option and the word "pro".
        _init_completion -s || return
    else
        cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
        words=("${COMP_WORDS[@]}") cword=$COMP_CWORD
    fi
    local command= i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            info | write | diff | help)
                command=${words[i]}
                break
                ;;
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
        --prompt | --connects | --version-report) values="show hide" ;;
        --data-mode | --upgrades | --status-info) values="allow disable" ;;
        --layout) values="rom quf bld" ;;
        --code | --vid | --pid | --manufacturer | --product | --dir-prefix)
            COMPREPLY=()
            return
            ;;
        --settings)
            [ "$command" = write ] && _brindle_cli_files json
            return
            ;;
    esac
    if [ -n "$values" ] && [ "$command" = write ]; then
        COMPREPLY=($(compgen -W "$values" -- "$cur"))
        return
    fi

    if [[ $cur == -* ]]; then
        local options="--help --version"
        case $command in
            info | diff) options="--json --help" ;;
            write) options="--code --settings --layout --force --dry-run --baud --data-bits --stop-bits --parity
                --flow --input --command-set --led-flash --prompt --connects --version-report --data-mode
                --upgrades --status-info --vid --pid --manufacturer --product --dir-prefix --help" ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    if [ -z "$command" ]; then
        COMPREPLY=($(compgen -W "info write diff help" -- "$cur"))
        return
    fi
    if [ "$command" = help ]; then
        # One command after help, and nothing after that.
        [ "$cword" -eq $((i + 1)) ] && COMPREPLY=($(compgen -W "info write diff" -- "$cur"))
        return
    fi
    # Firmware files, and folders on the way to them.
    _brindle_cli_files
}
complete -F _brindle_cli brindle-cli
