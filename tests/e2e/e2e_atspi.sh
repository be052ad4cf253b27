#!/usr/bin/env bash
# The screen-reader walk (e2e_atspi.py) on a fresh Xvfb display with its own session D-Bus, where
# the AT-SPI bus and registry start on demand, as on a desktop with a screen reader running.
#
#   e2e_atspi.sh BRINDLE BRINDLE_CLI MAKE_FIXTURE
#
# Exits 77 (skipped) only where the machine lacks a piece: an X server, a session D-Bus, the
# AT-SPI bus or pyatspi (scripts/setup-deps.sh installs them all).
set -euo pipefail

brindle=$1
cli=$2
make_fixture=$3
here=$(cd "$(dirname "$0")" && pwd)

for tool in Xvfb xdotool dbus-run-session; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/setup-deps.sh installs it)"
        exit 77
    fi
done
launcher=
for f in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [ -x "$f" ] && launcher=$f
done
if [ -z "$launcher" ]; then
    echo "SKIP: the AT-SPI bus launcher is not installed (at-spi2-core)"
    exit 77
fi
# Debian's pyatspi is for Debian's Python, whatever python3 comes first on the PATH.
if ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
    echo "SKIP: pyatspi is not installed for /usr/bin/python3 (python3-pyatspi)"
    exit 77
fi

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/xvfb.sh"
start_xvfb
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS

mkdir -p "$work/files"
set +e
dbus-run-session -- /usr/bin/python3 "$here/e2e_atspi.py" "$brindle" "$cli" "$make_fixture" "$work/files" \
    2> >(grep -v -e 'dbus-daemon\[' -e 'SpiRegistry daemon' -e XDG_RUNTIME_DIR >&2)
rc=$?
set -e
if [ $rc -ne 0 ] && [ -s "$work/files/brindle.log" ]; then
    echo "--- the program's output:" >&2
    tail -20 "$work/files/brindle.log" >&2
fi
exit $rc
