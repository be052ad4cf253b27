#!/usr/bin/env bash
# scripts/run.sh as a newcomer starts it, on an X server: with no file it makes a synthetic demo
# image with the project's generator, names it so that nobody flashes it, and opens the wizard
# on it; with a FILE it opens that file.
#   run_demo.sh SOURCE_DIR BUILD_DIR MAKE_FIXTURE
set -euo pipefail
source_dir=$1
build_dir=$2
make_fixture=$3
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup-deps.sh installs it)"; exit 77; }
done
work=$(mktemp -d)
xvfb_pid=
run_pid=
demo_dir=
cleanup() {
    [ -n "$run_pid" ] && kill "$run_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    [ -n "$demo_dir" ] && rm -rf "$demo_dir"
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -s "$work/run.log" ] && tail -20 "$work/run.log" >&2; exit 1; }

source "$(dirname "$0")/xvfb.sh"
start_xvfb

# Starts scripts/run.sh with ARGS and waits until the wizard's window shows; run_pid is then
# the wizard (run.sh ends in exec).
start_run() {
    : >"$work/run.log"
    QT_QPA_PLATFORM=xcb TMPDIR="$work" "$source_dir/scripts/run.sh" "$@" >"$work/run.log" 2>&1 &
    run_pid=$!
    timeout 300 xdotool search --sync --onlyvisible --name "Norvale Firmware Customiser" >/dev/null \
        || fail "the wizard's window did not appear"
    kill -0 "$run_pid" 2>/dev/null || fail "run.sh ended"
}
stop_run() {
    kill "$run_pid"
    wait "$run_pid" 2>/dev/null || true
    run_pid=
}
# The arguments the wizard was started with, one a line.
arguments() { tr '\0' '\n' <"/proc/$run_pid/cmdline" | tail -n +2; }

start_run
demo=$(sed -n 's/^run\.sh: opening the synthetic demo image \(.*\) (made up, not firmware: never flash it.*/\1/p' "$work/run.log")
[ -n "$demo" ] || fail "run.sh did not say which demo image it opened"
demo_dir=$(dirname "$demo")
[ "$(arguments)" = "$demo" ] || fail "the wizard was started with \"$(arguments)\", not the demo image"
case $demo in
    "$work"/brindle-demo.*/demo-not-for-flashing.ROM) ;;
    *) fail "the demo image is $demo, not a demo-not-for-flashing.ROM in a folder of its own" ;;
esac
# A QSOL ROM image whose USB strings say what it is, and one the program accepts.
"$build_dir/cli/brindle-cli" info "$demo" >"$work/info.txt" || fail "brindle-cli refuses the demo image"
grep -qx 'USB Strings: "Brindle demo", "SYNTHETIC - NOT FOR FLASHING", "DEMO"' "$work/info.txt" \
    || fail "the demo image does not say it is synthetic: $(cat "$work/info.txt")"
stop_run

# With a FILE, that file and nothing made up.
"$make_fixture" "$work/mine.QUF"
start_run "$work/mine.QUF"
[ "$(arguments)" = "$work/mine.QUF" ] || fail "run.sh FILE started the wizard with \"$(arguments)\""
grep -q 'demo' "$work/run.log" && fail "run.sh FILE spoke of a demo image"
[ "$(ls -d "$work"/brindle-demo.* | wc -l)" -eq 1 ] || fail "run.sh FILE made a demo image"
stop_run
echo "run.sh: opens a synthetic demo image named demo-not-for-flashing.ROM, or the FILE given"
