#!/usr/bin/env bash
# The manual pages as installed: render without a warning from groff or man at 60 and at 80
# columns, with a SYNOPSIS that is neither stretched to the margin nor hyphenated, and describe
# every option the programs' --help lists.
#   manpages.sh BUILD_DIR
set -euo pipefail
build_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in groff man; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup-deps.sh installs it)"; exit 77; }
done

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
mandir="$work/prefix/share/man"
for page in brindle brindle-cli; do
    file="$mandir/man1/$page.1.gz"
    [ -f "$file" ] || fail "the installation has no share/man/man1/$page.1.gz"
    zcat "$file" | groff -ww -z -man -t 2>"$work/groff.log" || fail "groff failed on $page(1)"
    [ -s "$work/groff.log" ] && { cat "$work/groff.log" >&2; fail "groff warns about $page(1)"; }
    # As a user reads it, found by name under the installation's man folder, in a narrow
    # terminal and a common one.
    for width in 60 80; do
        LC_ALL=C.UTF-8 MANWIDTH=$width man --warnings -M "$mandir" "$page" >"$work/$page-$width.txt" \
            2>"$work/man.log" || fail "man cannot show $page(1) at $width columns"
        [ -s "$work/man.log" ] && { cat "$work/man.log" >&2; fail "man warns about $page(1) at $width columns"; }
        # The SYNOPSIS is typed from: words one blank apart, none broken by a hyphen (U+2010).
        synopsis=$(sed -n '/^SYNOPSIS$/,/^[A-Z]/{/^ /p}' "$work/$page-$width.txt")
        [ -n "$synopsis" ] || fail "$page(1) at $width columns: no SYNOPSIS"
        if grep -qE '[^ ]  +[^ ]' <<<"$synopsis"; then
            fail "$page(1) at $width columns: the SYNOPSIS is justified:"$'\n'"$synopsis"
        fi
        if grep -q '‐' <<<"$synopsis"; then
            fail "$page(1) at $width columns: the SYNOPSIS is hyphenated:"$'\n'"$synopsis"
        fi
    done
    cp "$work/$page-80.txt" "$work/$page.txt"
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES EXAMPLES "SEE ALSO"; do
        grep -q "^$section\$" "$work/$page.txt" || fail "$page(1) has no $section section"
    done
done

# Every option of every help screen (Qt's --help-all aside) is in the page.
options_of() { "$@" --help | sed -nE 's/^ {2}(-[a-z?], )?(--[a-z][a-z-]*).*/\2/p' | grep -vx -- '--help-all' | sort -u; }
check_options() {
    local page=$1
    shift
    local option
    for option in $(options_of "$@"); do
        grep -qF -- "$option" "$work/$page.txt" || fail "$page(1) does not describe $option ($* --help lists it)"
    done
}
check_options brindle "$work/prefix/bin/brindle"
check_options brindle-cli "$work/prefix/bin/brindle-cli"
for command in info write diff; do
    check_options brindle-cli "$work/prefix/bin/brindle-cli" "$command"
    grep -qE "^ +$command( |$)" "$work/brindle-cli.txt" || fail "brindle-cli(1) does not describe the command $command"
done
# The exit codes, as the programs use them.
grep -qE "^ *2 +The +command +line +is +wrong" "$work/brindle.txt" || fail "brindle(1) lists no exit status 2"
grep -qE "^ *1 +There +is +no +display" "$work/brindle.txt" || fail "brindle(1) lists no exit status 1"
grep -qE "diff +0 +the +files +are +the +same; +1 +they +differ; +2 +any +error" "$work/brindle-cli.txt" \
    || fail "brindle-cli(1) lists no exit status of diff"
tr -s ' \n' ' ' <"$work/brindle-cli.txt" | grep -qE "3 \(write only\) TARGET was written, but the report could not be written" \
    || fail "brindle-cli(1) lists no exit status 3 of write"
echo "manual pages: brindle(1) and brindle-cli(1) render without warnings and describe every option"
