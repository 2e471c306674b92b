# Sourced by the scripts that need an X server: start_xvfb starts Xvfb on a free display and
# exports DISPLAY; wait_for_display waits until the server answers. The server is started
# with -noreset, so that it stays up when its first client goes, and the caller ends it by
# the process id left in xvfb_pid.

start_xvfb() { # directory for Xvfb's files, further Xvfb arguments...
    local dir=$1
    shift
    # Xvfb picks a free display and writes its number to the descriptor it is given once it
    # accepts connections.
    Xvfb -displayfd 3 -noreset -nolisten tcp "$@" 3>"$dir/display" 2>"$dir/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$dir/display" ] && break
        sleep 0.1
    done
    if [ ! -s "$dir/display" ]; then
        cat "$dir/xvfb.log" >&2
        echo "Xvfb did not start" >&2
        return 1
    fi
    DISPLAY=:$(head -1 "$dir/display")
    export DISPLAY
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY
    wait_for_display
}

wait_for_display() {
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "the X server on $DISPLAY does not answer" >&2
    return 1
}
