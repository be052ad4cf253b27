#!/usr/bin/env bash
# The README's table of write's options against brindle-cli write --help: every option the help
# lists has its row, and an option whose help names its words ("--prompt <show|hide>") has each
# of them in its row. The other commands' options are named in the README at all.
#   readme_options.sh SOURCE_DIR BRINDLE_CLI
set -euo pipefail
readme=$1/README.md
cli=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

options_of() { "$cli" "$@" --help | sed -nE 's/^ {2}(-[a-z?], )?(--[a-z][a-z-]*).*/\2/p' | grep -vx -e '--help-all' | sort -u; }
# The rows of the table under "### write", up to the next heading.
rows=$(sed -n '/^### write$/,/^##/{/^| `--/p}' "$readme")
[ -n "$rows" ] || fail "README.md has no table of write's options under \"### write\""

for option in $(options_of write | grep -vx -e '--help' -e '--version'); do
    # The row whose first cell names the option, alone or with a value ("`--vid HEX`, `--pid HEX`").
    row=$(grep -E -- "^\| ([^|]*[\`, ])?\`$option[\` ]" <<<"$rows" || true)
    [ -n "$row" ] || fail "README.md's table of write's options has no row for $option (write --help lists it)"
done
words=$("$cli" write --help | sed -nE 's/^ {2}(--[a-z][a-z-]*) <([a-z0-9-]+(\|[a-z0-9-]+)+)>.*/\1 \2/p')
grep -qx -- '--parity none|odd|even' <<<"$words" || fail "brindle-cli write --help was not understood"
while read -r option list; do
    row=$(grep -E -- "^\| ([^|]*[\`, ])?\`$option[\` ]" <<<"$rows")
    # The row's words: its text without backticks and escapes, cut at anything but a word's letters.
    row_words=$(tr -d '`\\' <<<"$row" | tr -cs 'a-z0-9-' '\n')
    for word in ${list//|/ }; do
        grep -qx -- "$word" <<<"$row_words" || fail "README.md's row of $option does not name $word (write --help does)"
    done
done <<<"$words"

for command in info diff; do
    for option in $(options_of "$command"); do
        grep -qF -- "\`$option" "$readme" || fail "README.md does not name $command's option $option"
    done
done
echo "README: its table of write's options names every option and word of write --help"
