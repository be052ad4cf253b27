# Sourced by the end-to-end tests: start_xvfb starts Xvfb on a free display, exports DISPLAY and
# sets xvfb_pid (the caller stops it); it exits 77 (skipped) where no X server can be started.
# Xvfb's log goes to $work/xvfb.log.
start_xvfb() {
    exec 3<> <(:)
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local display=
    read -r -t 20 display <&3 || true
    if [ -z "$display" ]; then
        echo "SKIP: no X server could be started: $(tail -3 "$work/xvfb.log")"
        exit 77
    fi
    export DISPLAY=":$display"
}
