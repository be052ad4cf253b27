#!/usr/bin/env bash
# brindle-cli's shell completion as installed. bash's completion function answers for commands,
# options and their values; then each of bash (with bash-completion, as Debian's bash loads it),
# zsh and fish runs interactively in a terminal of tmux's, names with blanks, quotes and letters
# beyond ASCII are typed into it with Tab and Enter, and the arguments that reach brindle-cli are
# compared. Each of the three shells offers every option write --help lists, and for an option
# whose help names its words ("--prompt <show|hide>") exactly those words.
#   completion.sh BUILD_DIR
set -euo pipefail
build_dir=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
socket=brindle-completion-$$
trap 'tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in tmux zsh fish; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup-deps.sh installs it)"; exit 77; }
done
bash_completion=/usr/share/bash-completion/bash_completion
[ -f "$bash_completion" ] || { echo "SKIP: bash-completion is not installed (scripts/setup-deps.sh installs it)"; exit 77; }

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
share="$work/prefix/share"
for f in bash-completion/completions/brindle-cli zsh/vendor-completions/_brindle-cli \
         fish/vendor_completions.d/brindle-cli.fish; do
    [ -f "$share/$f" ] || fail "the installation has no share/$f"
done

# Completes the words of LINE (the cursor at its end; a trailing space starts a new word) with
# the completion function alone, without bash-completion, and prints the candidates sorted, one
# a line.
complete_line() {
    bash --norc --noprofile -c '
        source "$1"
        read -r -a COMP_WORDS <<<"$2"
        [[ $2 == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$(( ${#COMP_WORDS[@]} - 1 ))
        COMP_LINE=$2
        COMP_POINT=${#2}
        _brindle_cli
        printf "%s\n" "${COMPREPLY[@]}" | sort' _ "$share/bash-completion/completions/brindle-cli" "$1"
}
expect() {
    local got
    got=$(cd "$work/files" && complete_line "$1" | tr '\n' ' ')
    [ "$got" = "$2 " ] || fail "completing \"$1\" gives \"$got\", expected \"$2 \""
}
mkdir -p "$work/files/out"
touch "$work/files/line.json" "$work/files/LINE2.JSON" "$work/files/notes.txt" "$work/files/fw.QUF" \
      "$work/files/fw.ROM"

expect "brindle-cli " "diff help info write"
expect "brindle-cli w" "write"
expect "brindle-cli help " "diff info write"
expect "brindle-cli help info " ""
expect "brindle-cli --v" "--version"
expect "brindle-cli info --" "--help --json"
expect "brindle-cli info fw." "fw.QUF fw.ROM"
expect "brindle-cli write fw.QUF out/x.ROM --pa" "--parity"
expect "brindle-cli write fw.QUF out/x.ROM --parity " "even none odd"
expect "brindle-cli write fw.QUF out/x.ROM --flow c" "cts-rts"
expect "brindle-cli write fw.QUF out/x.ROM --baud 1152" "115200"
expect "brindle-cli write fw.QUF out/x.ROM --status-info " "allow disable"
expect "brindle-cli write fw.QUF - --layout " "bld quf rom"
expect "brindle-cli write fw.QUF out/x.ROM --settings " "LINE2.JSON line.json out"
expect "brindle-cli write fw.QUF out/x.ROM --code " ""

# The options write --help lists, and the words of each option whose help names them, sorted:
# "  --prompt <show|hide>  ..." gives --prompt and "hide show".
write_help=$("$work/prefix/bin/brindle-cli" write --help)
mapfile -t help_options < <(sed -nE 's/^ {2}(-[a-z?], )?(--[a-z][a-z-]*).*/\2/p' <<<"$write_help" \
                            | grep -vx -e '--help-all' -e '--version' | sort -u)
declare -A help_words=()
while read -r option words; do
    help_words[$option]=$(tr '|' '\n' <<<"$words" | sort | paste -sd ' ')
done < <(sed -nE 's/^ {2}(--[a-z][a-z-]*) <([a-z0-9-]+(\|[a-z0-9-]+)+)>.*/\1 \2/p' <<<"$write_help")
# The help is read as it is written: --parity and its words are there.
[ "${help_words[--parity]-}" = "even none odd" ] || fail "write --help was not understood: $write_help"

# Checks one shell's answers: OFFERED (after "write SOURCE TARGET --") holds every option, and
# WORDS_OF OPTION prints what it offers after the option, sorted, on one line.
check_help() {
    local shell=$1 offered=$2 words_of=$3 option got
    for option in "${help_options[@]}"; do
        grep -qx -- "$option" <<<"$offered" || fail "$shell does not complete $option after write"
    done
    for option in "${!help_words[@]}"; do
        got=$("$words_of" "$option")
        [ "$got" = "${help_words[$option]}" ] \
            || fail "$shell completes $option with \"$got\", write --help names \"${help_words[$option]}\""
    done
}

bash_words() { (cd "$work/files" && complete_line "brindle-cli write fw.QUF x.ROM $1 " | paste -sd ' '); }
check_help bash "$(cd "$work/files" && complete_line "brindle-cli write fw.QUF x.ROM --")" bash_words

# fish answers for a command line without a terminal (complete -C), as it does on Tab.
fish_complete() {
    (cd "$work/files" && fish --no-config -c 'source $argv[1]; complete -C $argv[2]' \
        "$share/fish/vendor_completions.d/brindle-cli.fish" "$1" | cut -f1 | sort -u)
}
fish_words() { fish_complete "brindle-cli write fw.QUF x.ROM $1 " | paste -sd ' '; }
check_help fish "$(fish_complete "brindle-cli write fw.QUF x.ROM --")" fish_words

# ---- typed into each shell ----------------------------------------------------------------

# The files the names are completed from: blanks, quotes, letters beyond ASCII, a profile and a
# file of the same beginning that is none.
typed="$work/typed"
mkdir -p "$typed/out dir" "$work/bin" "$work/home"
touch "$typed/my fw ü.QUF" "$typed/it's \"quoted\".ROM" "$typed/Ωmega.bld" "$typed/profile ä.json" \
      "$typed/profile ä.txt" "$typed/10 baud.ROM"
# brindle-cli itself stands in: it writes the arguments it was given, one line a run.
log="$work/arguments.log"
: >"$log"
cat >"$work/bin/brindle-cli" <<EOF
#!/bin/sh
{ printf 'ARGS'; for a; do printf '|%s' "\$a"; done; printf '\n'; } >>"$log"
EOF
chmod +x "$work/bin/brindle-cli"

# Waits until brindle-cli has run N times, or fails naming what the terminal shows.
wait_runs() {
    local n=$1 pane=$2 i
    for ((i = 0; i < 1200; i++)); do
        [ "$(wc -l <"$log")" -ge "$n" ] && return 0
        sleep 0.1
    done
    tmux -L "$socket" capture-pane -p -t "$pane" >&2 || true
    fail "$pane: brindle-cli did not run (the terminal is above)"
}
# Waits until the terminal shows TEXT, or fails.
wait_screen() {
    local pane=$1 text=$2 i
    for ((i = 0; i < 1200; i++)); do
        tmux -L "$socket" capture-pane -p -t "$pane" | grep -qF -- "$text" && return 0
        sleep 0.1
    done
    tmux -L "$socket" capture-pane -p -t "$pane" >&2 || true
    fail "$pane: the terminal never showed \"$text\""
}

# Starts SHELL in a terminal of its own with brindle-cli's completion loaded as installed.
runs=0
start_shell() {
    local shell=$1 command setup
    case $shell in
        bash)
            command="bash --norc --noprofile -i"
            setup="source $bash_completion; source $share/bash-completion/completions/brindle-cli" ;;
        zsh)
            command="zsh -f -i"
            setup="fpath=($share/zsh/vendor-completions \$fpath); autoload -Uz compinit; compinit -u -D" ;;
        fish)
            command="fish --no-config"
            setup="source $share/fish/vendor_completions.d/brindle-cli.fish" ;;
    esac
    tmux -L "$socket" new-session -d -s "$shell" -x 200 -y 50 -c "$typed" \
        "env -i HOME=$work/home PATH=$work/bin:/usr/bin:/bin TERM=xterm-256color LANG=C.UTF-8 $command"
    tmux -L "$socket" send-keys -t "$shell" -l -- "$setup; brindle-cli ready"
    tmux -L "$socket" send-keys -t "$shell" Enter
    runs=$((runs + 1))
    wait_runs "$runs" "$shell"
}
# Types LINE into SHELL, pressing Tab at its end (and at each tab character in it), then Enter,
# and checks the arguments that reached brindle-cli against EXPECTED ("|" between them).
type_line() {
    local shell=$1 line=$2 expected=$3 got part
    local -a parts
    IFS=$'\t' read -r -a parts <<<"$line"$'\t'
    for part in "${parts[@]}"; do
        tmux -L "$socket" send-keys -t "$shell" -l -- "$part"
        tmux -L "$socket" send-keys -t "$shell" Tab
    done
    tmux -L "$socket" send-keys -t "$shell" Enter
    runs=$((runs + 1))
    wait_runs "$runs" "$shell"
    got=$(sed -n "${runs}p" "$log")
    [ "$got" = "ARGS|$expected" ] || fail "$shell: \"$line\" and Tab ran brindle-cli with \"$got\", expected \"ARGS|$expected\""
}

for shell in bash zsh fish; do
    start_shell "$shell"
    type_line "$shell" "brindle-cli wr" "write"
    type_line "$shell" "brindle-cli info --j" "info|--json"
    type_line "$shell" "brindle-cli info my" "info|my fw ü.QUF"
    type_line "$shell" "brindle-cli info it" "info|it's \"quoted\".ROM"
    type_line "$shell" "brindle-cli info Ωm" "info|Ωmega.bld"
    type_line "$shell" "brindle-cli write 10" "write|10 baud.ROM"
    type_line "$shell" "brindle-cli write my\\ fw\\ ü.QUF out"$'\t'"x.ROM" "write|my fw ü.QUF|out dir/x.ROM"
    # A profile is a .json file: the other file of the same beginning is not offered.
    type_line "$shell" "brindle-cli write x y --settings prof" "write|x|y|--settings|profile ä.json"
    type_line "$shell" "brindle-cli write x y --settings=prof" "write|x|y|--settings=profile ä.json"
    # A version code is no file name, nor is anything after help.
    type_line "$shell" "brindle-cli write x y --code=" "write|x|y|--code="
    type_line "$shell" "brindle-cli write x y --code 1" "write|x|y|--code|1"
    type_line "$shell" "brindle-cli help h" "help|h"
    type_line "$shell" "brindle-cli write x y --parity o" "write|x|y|--parity|odd"
done

# zsh lists the baud rates from slow to fast.
tmux -L "$socket" send-keys -t zsh -l -- "brindle-cli write x y --baud "
tmux -L "$socket" send-keys -t zsh Tab
wait_screen zsh 3000000
listed=$(tmux -L "$socket" capture-pane -p -t zsh | awk '/--baud/ { n = NR } { line[NR] = $0 } END { for (i = n + 1; i <= NR; i++) print line[i] }' \
    | tr -s ' \n' '\n\n' | grep -E '^[0-9]+$' | tr '\n' ' ')
[ "$listed" = "300 600 1200 2400 4800 9600 19200 38400 57600 115200 230400 460800 921600 1000000 1500000 2000000 3000000 " ] \
    || fail "zsh lists the baud rates as: $listed"

# zsh's candidates, as its completion functions add them on Tab: a compadd of the session's own
# records each match (as completion hooks do), then the line is killed, and a run of the
# stand-in brindle-cli says that zsh has read every key before it.
tmux -L "$socket" send-keys -t zsh C-u
cat >"$work/zsh-hook.zsh" <<EOF
compadd() {
    # The calls that only collect matches for the functions' own use are passed on as they are.
    if (( \${@[(I)-[OAD]*]} )); then builtin compadd "\$@"; return; fi
    local -a hits
    builtin compadd -O hits "\$@"
    (( \$#hits )) && print -rl -- \$hits >>$work/zsh-hits
    builtin compadd "\$@"
}
EOF
tmux -L "$socket" send-keys -t zsh -l -- "source $work/zsh-hook.zsh; brindle-cli hooked"
tmux -L "$socket" send-keys -t zsh Enter
runs=$((runs + 1))
wait_runs "$runs" zsh
# It runs in a command substitution too, so it counts the stand-in's runs in the log itself.
zsh_complete() {
    local n
    n=$(($(wc -l <"$log") + 1))
    : >"$work/zsh-hits"
    tmux -L "$socket" send-keys -t zsh -l -- "$1"
    tmux -L "$socket" send-keys -t zsh Tab
    tmux -L "$socket" send-keys -t zsh C-u
    tmux -L "$socket" send-keys -t zsh -l -- "brindle-cli completed"
    tmux -L "$socket" send-keys -t zsh Enter
    wait_runs "$n" zsh
    sort -u "$work/zsh-hits"
}
zsh_words() { zsh_complete "brindle-cli write x y $1 " | paste -sd ' '; }
check_help zsh "$(zsh_complete "brindle-cli write x y --")" zsh_words

echo "completion: bash, zsh and fish complete brindle-cli's commands, every option and word of write --help, and names with blanks, quotes and non-ASCII letters"
