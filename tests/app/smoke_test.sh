#!/bin/sh
# smoke_test.sh PROGRAM CLOSER: run under xvfb-run. Starts the real program on
# the X display, waits for its main window to be mapped, closes it the way a
# window manager does and checks that the program ends with exit code 0.
set -u

PROGRAM=$1
CLOSER=$2
export QT_QPA_PLATFORM=xcb  # ctest asks for offscreen; this test wants a real window

"$PROGRAM" &
pid=$!

fail() {
    echo "smoke test: $*" >&2
    kill "$pid" 2>/dev/null
    exit 1
}

# Polls `$1` (a shell condition) every 0.1 s for at most $2 seconds.
poll() {
    tries=$(($2 * 10))
    while [ "$tries" -gt 0 ]; do
        eval "$1" && return 0
        sleep 0.1
        tries=$((tries - 1))
    done
    return 1
}

window_id() {
    xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Tessaglyph": ("tessaglyph".*/\1/p' | head -n 1
}

viewable() {
    kill -0 "$pid" 2>/dev/null || fail "the program ended before its window appeared"
    wid=$(window_id)
    [ -n "$wid" ] && xwininfo -id "$wid" | grep -q 'Map State: IsViewable'
}

poll viewable 30 || fail "no window titled Tessaglyph within 30 s"
"$CLOSER" "$wid" || fail "could not send the close request"
poll '! kill -0 "$pid" 2>/dev/null' 15 || fail "the program did not end within 15 s of the close request"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || { echo "smoke test: exit code $status" >&2; exit 1; }
echo "smoke test: window $wid appeared and closed; exit code 0"
