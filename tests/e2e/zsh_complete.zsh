# zsh_complete.zsh FOLDER LINE...: types each LINE in a fresh interactive zsh that takes its
# completion from FOLDER, presses Tab once and then Enter, and prints the command line that ran
# ("ARGS:" and the arguments; brindle-cli is a function that prints them).
zmodload zsh/zpty
zpty z zsh -f -i
zpty -w z "fpath=($1 \$fpath); autoload -Uz compinit; compinit -u -D; setopt nobeep"
zpty -w z "brindle-cli() { print -r -- \"ARGS:\$*\" }"
shift
for line in "$@"; do
    zpty -w z "$line"$'\t'
done
# The command is echoed, then its output: the second DONE ends the session.
zpty -w z 'print DONE'
zpty -r z out '*DONE*DONE*'
print -rl -- ${(M)${(f)out//$'\r'/}:#ARGS:*}
zpty -d z
