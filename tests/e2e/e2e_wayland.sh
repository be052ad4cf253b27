#!/usr/bin/env bash
# The wizard as a Wayland client: weston with its X11 back end on a fresh Xvfb display (which gives
# a seat; Qt 6.4's line edit stops the program without one, so the headless back end will not do),
# `brindle FILE` started with QT_QPA_PLATFORM=wayland, and its requests read from WAYLAND_DEBUG.
# Asserts that the window is mapped (a toplevel titled "Norvale Firmware Customiser V…" that
# commits a buffer), that it asks for one size (set_min_size equal to set_max_size, which is how a
# Wayland client says it cannot be maximised) and never for set_maximized or set_fullscreen, and
# that after a pause the program is still running with its toplevel and no protocol error.
# A maximise request from the compositor is not tried: weston's Super+Shift+M, sent with xdotool to
# its X11 window, reaches the program as three plain key presses (no modifiers), not as a binding.
#
#   e2e_wayland.sh BRINDLE MAKE_FIXTURE
#
# Exits 77 (skipped) only where Xvfb, weston or Qt's Wayland plugin is missing or cannot start.
set -euo pipefail

brindle=$1
make_fixture=$2

for tool in Xvfb weston; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/setup-deps.sh installs it)"
        exit 77
    fi
done
if ! compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null; then
    echo "SKIP: Qt's Wayland platform plugin is not installed (qt6-wayland; scripts/setup-deps.sh installs it)"
    exit 77
fi

work=$(mktemp -d)
xvfb_pid=
weston_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null || true
    [ -n "$weston_pid" ] && wait "$weston_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -s "$work/brindle.log" ] && { echo "--- the program's protocol log (end):" >&2; tail -30 "$work/brindle.log" >&2; }
    [ -s "$work/weston.log" ] && { echo "--- weston's log (end):" >&2; tail -10 "$work/weston.log" >&2; }
    exit 1
}

source "$(dirname "$0")/xvfb.sh"
start_xvfb

# Every wait is for something to happen; this only bounds a failure (a hung program), not a pace.
patience=${BRINDLE_E2E_PATIENCE:-120}

# A private runtime folder, as a session has, for weston's socket.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
socket=brindle-e2e
weston --backend=x11-backend.so --socket="$socket" --width=1024 --height=700 --idle-time=0 \
    >"$work/weston.log" 2>&1 &
weston_pid=$!
end=$((SECONDS + patience))
while [ $SECONDS -lt $end ]; do
    [ -S "$XDG_RUNTIME_DIR/$socket" ] && break
    kill -0 "$weston_pid" 2>/dev/null || break
    sleep 0.1
done
if [ ! -S "$XDG_RUNTIME_DIR/$socket" ]; then
    echo "SKIP: weston could not start on Xvfb: $(tail -3 "$work/weston.log")"
    exit 77
fi

fixture="$work/source.QUF"
"$make_fixture" "$fixture"

WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 "$brindle" "$fixture" >"$work/brindle.log" 2>&1 &
app_pid=$!
log="$work/brindle.log"

# The toplevel: its id, from the request that makes it.
toplevel=
end=$((SECONDS + patience))
while [ $SECONDS -lt $end ]; do
    kill -0 "$app_pid" 2>/dev/null || fail "the program ended before it mapped a window"
    toplevel=$(grep -o -m1 -- '-> xdg_surface@[0-9]*\.get_toplevel(new id xdg_toplevel@[0-9]*)' "$log" \
        | grep -o 'xdg_toplevel@[0-9]*' || true)
    # Mapped: a buffer attached and committed after the toplevel's first configure was acknowledged.
    if [ -n "$toplevel" ] && grep -q -- '-> xdg_surface@[0-9]*\.ack_configure' "$log" \
        && sed -n '/-> xdg_surface@[0-9]*\.ack_configure/,$p' "$log" | grep -q -- '-> wl_surface@[0-9]*\.attach(wl_buffer@' \
        && sed -n '/-> xdg_surface@[0-9]*\.ack_configure/,$p' "$log" | grep -q -- '-> wl_surface@[0-9]*\.commit()'; then
        break
    fi
    toplevel=
    sleep 0.1
done
[ -n "$toplevel" ] || fail "no toplevel was mapped with a committed buffer within $patience s"
echo "mapped: $toplevel"

grep -q -- "-> $toplevel\.set_title(\"Norvale Firmware Customiser V" "$log" \
    || fail "the toplevel's title is not \"Norvale Firmware Customiser V…\""
min=$(grep -o -- "-> $toplevel\.set_min_size([0-9]*, [0-9]*)" "$log" | tail -1 | grep -o '([0-9]*, [0-9]*)' || true)
max=$(grep -o -- "-> $toplevel\.set_max_size([0-9]*, [0-9]*)" "$log" | tail -1 | grep -o '([0-9]*, [0-9]*)' || true)
echo "asked for: min size $min, max size $max"
[ -n "$min" ] && [ -n "$max" ] || fail "the toplevel asks for no minimum or no maximum size"
[ "$min" = "$max" ] || fail "the minimum size $min is not the maximum size $max: the window can be resized or maximised"
[ "$min" != "(0, 0)" ] || fail "the toplevel's size is (0, 0), which means no limit"

# The compositor has shown the window once it says a frame of it is done: whatever the program
# asks of the window as it is shown (maximised, full screen) it has asked by then.
shown=
end=$((SECONDS + patience))
while [ $SECONDS -lt $end ]; do
    kill -0 "$app_pid" 2>/dev/null || break
    if sed -n '/-> xdg_surface@[0-9]*\.ack_configure/,$p' "$log" | grep -q 'wl_callback@[0-9]*\.done('; then
        shown=1
        break
    fi
    sleep 0.1
done
[ -n "$shown" ] || fail "the compositor never said a frame of the window was done"
kill -0 "$app_pid" 2>/dev/null || fail "the program ended after mapping its window"
grep -q -- "-> $toplevel\.destroy()" "$log" && fail "the toplevel was destroyed"
grep -q -- "-> $toplevel\.set_maximized()" "$log" && fail "the program asked to be maximised"
grep -q -- "-> $toplevel\.set_fullscreen(" "$log" && fail "the program asked to be full screen"
grep -qE '^\[[ 0-9.]*\] wl_display@1\.error' "$log" && fail "the compositor sent a protocol error"
echo "PASS"
