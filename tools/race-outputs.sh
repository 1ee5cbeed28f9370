#!/usr/bin/env bash
# One scripted race with a Linux build of the program, and what it leaves behind:
#
#   tools/race-outputs.sh <program> <output-folder>
#
# The program (with libtivanohelpviewer.so and tivano.hlp from its folder, and
# resources/LKZ.txt) runs in a fresh folder with a fresh HOME under Xvfb and openbox, on a
# scripted clock: START (F5), three finishes by F4 and one by a press on ZIEL, STOPP (F9).
# Then the protocol panel's "Als Webseite" is pressed, the accessibility tree is read over
# AT-SPI, and the program is closed with Alt+B and "Ja". The output folder receives the
# autosave Tivano.txt, the journal files, the web page, the settings file (under
# home/, where the program put it) and accessible-tree.txt.
#
# Two builds that behave the same leave the same bytes:
#
#   tools/race-outputs.sh build-a/tivano /tmp/race-a
#   tools/race-outputs.sh build-b/tivano /tmp/race-b
#   diff -r /tmp/race-a /tmp/race-b
#
# The race times come from the scripted clock; the wall clock, which the journal writes
# with its events, is held still by libfaketime at FAKE_NOW. Needs root (for the mount
# namespace), xvfb-run, openbox, xdotool, dbus-run-session, libfaketime and python3-pyatspi.
set -euo pipefail
self="$(readlink -f "$0")"
root="$(cd "$(dirname "$self")/.." && pwd)"
FAKE_NOW="2024-05-04 10:00:00"
fail() { echo "race-outputs: $*" >&2; exit 1; }

# The program probes the serial ports at start: in a mount namespace of its own, each
# /dev/ttyS* is /dev/null, so this machine's console is never opened.
if [ -z "${TIVANO_RACE_STAGE:-}" ]; then
    exec env TIVANO_RACE_STAGE=1 unshare --mount --propagation private -- "$self" "$@"
fi
if [ "$TIVANO_RACE_STAGE" = 1 ]; then
    for device in $(compgen -G '/dev/ttyS*' || true); do mount --bind /dev/null "$device"; done
    # The program's folder shows in what it leaves (the accessible application's
    # description is its path): a fresh file system at the same place on every run.
    mkdir -p /tmp/tivano-race
    mount -t tmpfs tmpfs /tmp/tivano-race
    exec env TIVANO_RACE_STAGE=2 xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- "$self" "$@"
fi

[ $# -eq 2 ] || fail "usage: tools/race-outputs.sh <program> <output-folder>"
program=$(readlink -f "$1")
output=$(readlink -m "$2")
name=$(basename "$program")

work=/tmp/tivano-race
folder="$work/race"
home="$work/home"
clock="$work/clock"
mkdir -p "$folder" "$home" "$work/bin"
# The desktop is asked to open the web page: nothing opens it.
printf '#!/bin/sh\nexit 0\n' >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
# The program with what it finds beside it: the help and its viewer module, the country codes.
cp "$program" "$(dirname "$program")"/libtivanohelpviewer.so "$(dirname "$program")"/tivano.hlp \
    "$root/resources/LKZ.txt" "$folder/"

# set_clock, find_window, race, close_program and start_window_manager.
source "$root/packaging/scripted-race.sh"
start_window_manager
sleep 1 # openbox announces itself before it has settled

set_clock 08:59:00.000
(
    cd "$folder"
    export HOME="$home" PATH="$work/bin:$PATH" TIVANO_SCRIPTED_CLOCK="$clock" QT_QPA_PLATFORM=xcb \
        QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    # Held still: QTimer and the like run on the monotonic clock, which keeps going.
    export LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 FAKETIME="$FAKE_NOW" \
        FAKETIME_DONT_FAKE_MONOTONIC=1
    exec "./$name" 2>"$work/program.log"
) &
pid=$!
window=$(find_window) || fail "the program shows no window: $(tail -n 5 "$work/program.log")"
race "$window"

page="${name%.*}.html"
/usr/bin/python3 "$root/tools/accessible-tree.py" "$pid" press "Als Webseite"
for _ in $(seq 1 20); do [ -s "$folder/$page" ] && break; sleep 0.5; done
[ -s "$folder/$page" ] || fail "\"Als Webseite\" wrote no $page"
sleep 1
/usr/bin/python3 "$root/tools/accessible-tree.py" "$pid" dump "$work/accessible-tree.txt"
close_program "$window" "$pid"
[ -s "$folder/Tivano.txt" ] || fail "the program wrote no Tivano.txt"

mkdir -p "$output"
[ -z "$(ls -A "$output")" ] || fail "$output is not empty"
cp "$folder/Tivano.txt" "$folder"/Tivano-Journal*.txt "$folder/$page" "$work/accessible-tree.txt" "$output/"
settings=$(cd "$home" && find . -name tivano.conf)
[ -n "$settings" ] || fail "the program wrote no tivano.conf under \$HOME"
mkdir -p "$output/home"
(cd "$home" && cp --parents "$settings" "$output/home/")
find "$output" -type f | sort
