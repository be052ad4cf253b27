#!/usr/bin/env bash
# What Orca says of the wizard (e2e_orca.py): Orca, openbox and speech-dispatcher with its dummy
# output on a fresh Xvfb display, in a session D-Bus of their own, where the AT-SPI bus starts on
# demand as on a desktop.
#
#   e2e_orca.sh BRINDLE MAKE_FIXTURE
#
# Exits 77 (skipped) only where a piece cannot be had: an X server, or one of the programs
# (scripts/setup-deps.sh installs them all).
set -euo pipefail

brindle=$1
make_fixture=$2
here=$(cd "$(dirname "$0")" && pwd)

for tool in Xvfb xdotool xprop dbus-run-session openbox speech-dispatcher orca; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/setup-deps.sh installs it)"
        exit 77
    fi
done
if [ ! -x /usr/lib/speech-dispatcher-modules/sd_dummy ]; then
    echo "SKIP: speech-dispatcher's dummy output module is not installed"
    exit 77
fi

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

source "$here/xvfb.sh"
start_xvfb
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS SPEECHD_ADDRESS
# Orca, its settings and the speech server keep their files in the scratch folder.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share \
    XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"

set +e
# The session ends with the walk: its bus, and with it Orca and the speech server, go too.
dbus-run-session -- /usr/bin/python3 "$here/e2e_orca.py" "$brindle" "$make_fixture" "$work" \
    2> >(grep -v -e 'dbus-daemon\[' -e 'SpiRegistry daemon' >&2)
rc=$?
set -e
if [ $rc -ne 0 ]; then
    [ -s "$work/brindle.log" ] && { echo "--- the program's output:" >&2; tail -20 "$work/brindle.log" >&2; }
    if [ -s "$work/orca.log" ] && [ -n "${BRINDLE_KEEP_ORCA_LOG:-}" ]; then
        cp "$work/orca.log" "$BRINDLE_KEEP_ORCA_LOG" && echo "Orca's log kept in $BRINDLE_KEEP_ORCA_LOG" >&2
    fi
fi
exit $rc
