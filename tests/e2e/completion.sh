#!/usr/bin/env bash
# brindle-cli's shell completion as installed. bash's completion function answers for commands,
# options and their values, and offers every option write --help lists; then each of bash (with
# bash-completion, as Debian's bash loads it), zsh and fish runs interactively in a terminal of
# tmux's, names with blanks, quotes and letters beyond ASCII are typed into it with Tab and
# Enter, and the arguments that reach brindle-cli are compared.
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

# Every option write --help lists is offered after "write".
offered=$(cd "$work/files" && complete_line "brindle-cli write fw.QUF x.ROM --")
for option in $("$work/prefix/bin/brindle-cli" write --help | sed -nE 's/^ {2}(-[a-z?], )?(--[a-z][a-z-]*).*/\2/p' \
                | grep -vx -- '--help-all' | grep -vx -- '--version' | sort -u); do
    grep -qx -- "$option" <<<"$offered" || fail "bash does not complete $option after write"
done

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

echo "completion: bash, zsh and fish complete brindle-cli's commands, options, values and names with blanks, quotes and non-ASCII letters"
