#!/usr/bin/env bash
# brindle-cli's shell completion as installed: bash completes commands, options and their
# values the way a user meets them at the prompt, and offers every option write --help lists;
# zsh completes a line on Tab in an interactive shell, and fish lists the candidates.
#   completion.sh BUILD_DIR
set -euo pipefail
build_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
share="$work/prefix/share"
for f in bash-completion/completions/brindle-cli zsh/vendor-completions/_brindle-cli \
         fish/vendor_completions.d/brindle-cli.fish; do
    [ -f "$share/$f" ] || fail "the installation has no share/$f"
done

# Completes the words of LINE (the cursor at its end; a trailing space starts a new word), as
# bash does on Tab, and prints the candidates sorted, one a line.
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
touch "$work/files/line.json" "$work/files/fw.QUF" "$work/files/fw.ROM"

expect "brindle-cli " "diff help info write"
expect "brindle-cli w" "write"
expect "brindle-cli help " "diff info write"
expect "brindle-cli --v" "--version"
expect "brindle-cli info --" "--help --json"
expect "brindle-cli info fw." "fw.QUF fw.ROM"
expect "brindle-cli write fw.QUF out/x.ROM --pa" "--parity"
expect "brindle-cli write fw.QUF out/x.ROM --parity " "even none odd"
expect "brindle-cli write fw.QUF out/x.ROM --flow c" "cts-rts"
expect "brindle-cli write fw.QUF out/x.ROM --baud 1152" "115200"
expect "brindle-cli write fw.QUF out/x.ROM --status-info " "allow disable"
expect "brindle-cli write fw.QUF out/x.ROM --settings " "line.json out"
expect "brindle-cli write fw.QUF out/x.ROM --code " ""

# Every option write --help lists is offered after "write".
offered=$(cd "$work/files" && complete_line "brindle-cli write fw.QUF x.ROM --")
for option in $("$work/prefix/bin/brindle-cli" write --help | sed -nE 's/^ {2}(-[a-z?], )?(--[a-z][a-z-]*).*/\2/p' \
                | grep -vx -- '--help-all' | grep -vx -- '--version' | sort -u); do
    grep -qx -- "$option" <<<"$offered" || fail "bash does not complete $option after write"
done

# zsh, as a user types: Tab completes a unique candidate in the line.
command -v zsh >/dev/null || fail "zsh is not installed (scripts/setup-deps.sh installs it)"
got=$(cd "$work/files" && timeout 60 zsh -f "$(dirname "$0")/zsh_complete.zsh" "$share/zsh/vendor-completions" \
    'brindle-cli wr' 'brindle-cli write fw.QUF x.ROM --pari' 'brindle-cli write fw.QUF x.ROM --parity o' \
    'brindle-cli info --j' 'brindle-cli write fw.QUF x.ROM --settings li' 'brindle-cli help wr' | tr '\n' '|')
[ "$got" = "ARGS:write|ARGS:write fw.QUF x.ROM --parity|ARGS:write fw.QUF x.ROM --parity odd|ARGS:info --json|ARGS:write fw.QUF x.ROM --settings line.json|ARGS:help write|" ] \
    || fail "zsh completed: $got"

# fish lists the candidates for a line.
command -v fish >/dev/null || fail "fish is not installed (scripts/setup-deps.sh installs it)"
fish_complete() {
    (cd "$work/files" && HOME="$work" fish --no-config -c \
        "source $share/fish/vendor_completions.d/brindle-cli.fish; complete -C'$1'" | cut -f1 | sort | tr '\n' ' ')
}
[ "$(fish_complete 'brindle-cli ')" = "diff help info write " ] || fail "fish completes commands as: $(fish_complete 'brindle-cli ')"
[ "$(fish_complete 'brindle-cli write a b --parity ')" = "even none odd " ] \
    || fail "fish completes --parity as: $(fish_complete 'brindle-cli write a b --parity ')"
[ "$(fish_complete 'brindle-cli info --j')" = "--json " ] || fail "fish completes info --j as: $(fish_complete 'brindle-cli info --j')"

echo "completion: bash, zsh and fish complete brindle-cli's commands, options and values"
