# One race on a scripted clock, played with xdotool on an X display with a window
# manager: sourced by the scripts that race a built program (race-under-wine.sh,
# tools/race-outputs.sh). The sourcing script sets clock, the file the program reads as
# its TIVANO_SCRIPTED_CLOCK, and defines fail MESSAGE, which ends it.

# Starts openbox, which gives the program's window the focus, and waits until it runs.
start_window_manager() {
    openbox >/dev/null 2>&1 &
    for _ in $(seq 1 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.2
    done
}

set_clock() { printf '%s\n' "$1" >"$clock"; }

# The window whose title begins with "Tivano", once it shows.
find_window() {
    local id
    for _ in $(seq 1 120); do
        id=$(xdotool search --onlyvisible --name '^Tivano' 2>/dev/null | head -n 1 || true)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.5
    done
    return 1
}

# Closes the program with Alt+B and answers the question "Ja" (the yes button has the
# focus), then waits for it to end.
close_program() {
    local window=$1 pid=$2
    xdotool windowactivate --sync "$window" key --clearmodifiers alt+b
    sleep 1.5
    xdotool key Return
    for _ in $(seq 1 60); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.5
    done
    fail "the program did not end after Alt+B and Ja"
}

# START, three finishes by F4, one by a press on ZIEL, STOPP, each at its own scripted time.
race() {
    local window=$1
    xdotool windowactivate --sync "$window"
    sleep 1
    set_clock 09:00:00.000; xdotool key F5; sleep 0.7
    set_clock 09:05:12.340; xdotool key F4; sleep 0.7
    set_clock 09:05:13.500; xdotool key F4; sleep 0.7
    set_clock 09:06:01.070; xdotool key F4; sleep 0.7
    # ZIEL: left 136, width 145 in the race panel; 314 + 21 below it, under the 35 high strip.
    set_clock 09:07:00.990; xdotool mousemove --window "$window" 208 370 click 1; sleep 0.7
    set_clock 09:08:00.000; xdotool key F9; sleep 0.7
}
