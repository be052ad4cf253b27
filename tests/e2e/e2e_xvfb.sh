#!/usr/bin/env bash
# End to end on a real X server: installs the build into a scratch prefix, starts the installed
# `brindle` on a fresh Xvfb display with no window manager, and drives it from outside with real
# X input only (xdotool); reads the clipboard with a real X client (xclip). Opens a file named
# on the command line and a file it refuses, then customises a QSOL upgrade file into a ROM image
# and checks the written bytes against brindle-cli, which uses the same core, for the same choices.
#
#   e2e_xvfb.sh BUILD_DIR MAKE_FIXTURE
#
# Exits 77 (skipped) only where no X server can be started.
set -euo pipefail

build_dir=$1
make_fixture=$2

for tool in Xvfb xdotool xclip xprop; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/setup-deps.sh installs it)"
        exit 77
    fi
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -s "$work/brindle.log" ] && { echo "--- the program's output:" >&2; tail -40 "$work/brindle.log" >&2; }
    if [ -n "${DISPLAY:-}" ] && command -v import >/dev/null; then
        import -window root "$work/failure.png" 2>/dev/null && cp "$work/failure.png" "$build_dir/e2e-failure.png" \
            && echo "screen saved to $build_dir/e2e-failure.png" >&2
    fi
    exit 1
}

# The installed layout, as a user gets it.
cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
brindle="$work/prefix/bin/brindle"
cli="$work/prefix/bin/brindle-cli"
[ -x "$brindle" ] || fail "the installation has no bin/brindle"
[ -x "$cli" ] || fail "the installation has no bin/brindle-cli"

# A fresh display; Xvfb picks a free number and writes it to the pipe.
source "$(dirname "$0")/xvfb.sh"
start_xvfb

source_file="$work/source.QUF"
target_file="$work/written.ROM"
"$make_fixture" "$source_file"

# Positions are given in the wizard's dialog units (320 by 200) and scaled by the window's size,
# so the test does not depend on the font. Page controls sit in the page area at (6, 66).
# The X server hands the program its input in the order it was sent, and the program takes it in
# that order: a click on Next and a key after it reach the next page, however slowly the program
# runs. Nothing waits for a time; what the program does is read from outside (the clipboard, the
# file written, its windows, its exit) and waited for.
click() {  # x y in dialog units
    xdotool mousemove --window "$win" $(( $1 * width / 320 )) $(( $2 * height / 200 )) click 1
}
page_click() { click $(( 6 + $1 )) $(( 66 + $2 )); }
type_text() { xdotool type --delay 20 "$1"; }
key() { xdotool key --delay 50 "$@"; }
next() { click 229 187; }

# How long a wait may last before it is a failure: a bound for a hung program, not a pace.
patience=${BRINDLE_E2E_PATIENCE:-120}

# Waits until the clipboard, read with a real X client, satisfies the shell test "$@" on
# $clipboard; the program sets it as it handles the key or click that copies.
clipboard=
wait_clipboard() {
    local end=$((SECONDS + patience))
    while :; do
        clipboard=$(xclip -o -selection clipboard 2>/dev/null | tr -d '\r') || clipboard=
        "$@" && return 0
        [ $SECONDS -lt $end ] || return 1
        sleep 0.05
    done
}
clipboard_is() { [ "$clipboard" = "$1" ]; }

# Waits until no shown window is named NAME (a regular expression).
wait_closed() {
    local end=$((SECONDS + patience))
    while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.05
    done
}

# Starts the installed wizard with ARGS and waits for its window.
start_wizard() {
    QT_QPA_PLATFORM=xcb "$brindle" "$@" >"$work/brindle.log" 2>&1 &
    app_pid=$!
    win=$(xdotool search --sync --onlyvisible --name "Norvale Firmware Customiser" | head -1)
    [ -n "$win" ] || fail "the wizard window did not appear"
    eval "$(xdotool getwindowgeometry --shell "$win")"
    width=$WIDTH
    height=$HEIGHT
}
# Waits until the wizard has ended by itself, with exit status 0.
wizard_ended() {
    local end=$((SECONDS + patience))
    while kill -0 "$app_pid" 2>/dev/null && [ $SECONDS -lt $end ]; do
        sleep 0.05
    done
    kill -0 "$app_pid" 2>/dev/null && fail "the program is still running after $1"
    wait "$app_pid" || fail "the program exited with an error after $1"
    app_pid=
}

# A file named on the command line, as a file manager passes it (Exec=brindle %f): the wizard
# opens on "File Summary" with the file loaded; its Copy button gives the file's settings.
start_wizard "$source_file"
# The file is loaded as the window comes up, before the program takes any input: the click on
# Copy reaches the summary.
summary_copied() {
    grep -qx 'Firmware Settings' <<<"$clipboard" && grep -qx 'Firmware Version: 03.64' <<<"$clipboard" \
        && grep -qx 'Firmware Type: QSOL QUF Upgrader File for Main Code' <<<"$clipboard"
}
page_click 283 7
wait_clipboard summary_copied || fail "brindle FILE did not show the file's summary; the clipboard holds: $clipboard"
# A loaded file may hold changes: leaving asks first, and Yes ends the program.
key Escape
box=$(xdotool search --sync --onlyvisible --name "^Norvale Firmware Customiser$" | head -1)
[ -n "$box" ] || fail "no question before leaving a loaded file"
xdotool windowfocus --sync "$box" 2>/dev/null || true
key alt+y
wizard_ended "Escape on File Summary, then Yes"

# A file it refuses: its message, then "File Open" with the path in the box.
printf 'not firmware' >"$work/notes.QUF"
start_wizard "$work/notes.QUF"
box=$(xdotool search --sync --onlyvisible --name "^File Format Error$" | head -1)
[ -n "$box" ] || fail "no message for a refused file"
xdotool windowfocus --sync "$box" 2>/dev/null || true
key Return
wait_closed "^File Format Error$" || fail "the message stayed open"
xdotool windowfocus --sync "$win" 2>/dev/null || true
page_click 117 31
key ctrl+a ctrl+c
wait_clipboard clipboard_is "$work/notes.QUF" || fail "File Open holds \"$clipboard\" after the refusal"
key Escape
wizard_ended "Escape on File Open"

# The whole walk, the path typed on "File Open".
start_wizard

# The title a desktop shows is exactly the program's caption, with nothing appended.
title=$(xprop -id "$win" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p')
case "$title" in
    "Norvale Firmware Customiser V"[0-9]*) ;;
    *) fail "_NET_WM_NAME reads \"$title\"" ;;
esac
case "$title" in
    *" — "*|*Brindle*) fail "_NET_WM_NAME carries a suffix: \"$title\"" ;;
esac

xdotool windowfocus --sync "$win" 2>/dev/null || true

# File Open: the path box, then Next.
page_click 117 31
type_text "$source_file"
next
# File Summary.
next
# Set Baud: open the baud list, from 9600 four entries down to 115200.
page_click 174 19
key Down Down Down Down Return
next
# Set Init.
next
# Set Prompt: clear "Show Prompt" by its box.
page_click 93 16
next
# Set PID/VID: vendor ID.
page_click 200 19
key ctrl+a
type_text "1234"
next
# Set Code: typed in lower case, shown in capitals.
page_click 180 30
type_text "xyz"
next
# Confirm Summary: Copy, then read the clipboard from outside: every line ends in LF, as text
# does on Linux, and the USB identity is there.
page_click 283 7
expected=$(printf '%s' "Summary of Firmware Customisations"$'\n\n'"Firmware Version: 03.64-XYZ"$'\n\n'"Firmware Type: QSOL"$'\n\n'"Default Monitor Settings: 115200 baud, 8 bits, 1 stop bit, no parity, no flow control"$'\n\n'"Initial Mode: ECS, IPH, LED Flash at Power-on"$'\n\n'"Options: Allow Firmware Upgrades, Allow Data Mode, Allow Sonette Status Information,"$'\n'"No Prompt, Show Device Connects/Removals, Show Version Report at Startup."$'\n\n'"USB VID/PID: 0x1234/0x5c10"$'\n\n'"USB Strings: \"Norvale\", \"USB Host\", \"0001\""$'\n\n' | od -An -c | tr -s ' \n' ' ')
# Read raw: every byte counts, the line ends too.
raw_clipboard_is() { [ "$(xclip -o -selection clipboard 2>/dev/null | od -An -c | tr -s ' \n' ' ')" = "$1" ]; }
wait_clipboard raw_clipboard_is "$expected" || fail "clipboard holds:$(xclip -o -selection clipboard 2>/dev/null | od -An -c | tr -s ' \n' ' ')
expected:$expected"
next
# File Save: the destination, then Write.
page_click 117 31
type_text "$target_file"
next
# The file is written as Write is handled; Finish then shows its report.
page_click 60 20
key ctrl+a ctrl+c

# Finish: the report can be selected and copied like any text.
expected_finish=$(printf 'Successfully modified firmware ROM file.\n\nFirmware Version 03.64-XYZQSOLF\n\nOriginal file source.QUF\n\nSaved to disk as written.ROM')
wait_clipboard clipboard_is "$expected_finish" || fail "finish page says: $clipboard"
[ -f "$target_file" ] || fail "nothing was written to $target_file"

# "Finish" ends the program and leaves no window behind.
click 283 187
wizard_ended Finish
if xdotool search --onlyvisible --name "Norvale" >/dev/null 2>&1; then
    fail "a window is left on the display"
fi

# The written bytes are those brindle-cli writes for the same choices.
"$cli" write "$source_file" "$work/expected.ROM" --code XYZ --baud 115200 --prompt hide --vid 1234 >/dev/null \
    || fail "brindle-cli could not write the reference file"
cmp "$target_file" "$work/expected.ROM" || fail "the wizard's file differs from brindle-cli's"
[ "$(stat -c %s "$target_file")" -eq 65536 ] || fail "the ROM image is not 65536 bytes"

echo "end-to-end: the wizard wrote $(stat -c %s "$target_file") bytes, identical to brindle-cli's"
