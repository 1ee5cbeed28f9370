#!/usr/bin/env bash
# One race with the installed Windows program under Wine, and the same race with the
# Linux build, both on a scripted clock: their autosaves must be the same bytes.
#
#   packaging/windows/race-under-wine.sh <TivanoSetup.exe> [linux-program] [--screenshot FILE]
#
# The setup program installs silently for the current user into a fresh Wine prefix. Each
# program runs under Xvfb with openbox: START (F5), three finishes by F4 and one by a mouse
# press on ZIEL, STOPP (F9), then Alt+B and "Ja". The Windows program is started once
# more: the protocol must come back, and closing it again writes the same file. The
# settings are read back from the registry. Exits non-zero on the first difference.
set -euo pipefail
self="$(readlink -f "$0")"
root="$(cd "$(dirname "$self")/../.." && pwd)"
setup=$(readlink -f "$1")
linux_program=$(readlink -f "${2:-$root/build/src/app/tivano}")
screenshot=
if [ "${3:-}" = --screenshot ]; then screenshot=$(readlink -m "$4"); fi

# Both programs probe the serial ports at start: neither may reach this machine's console.
if [ -z "${TIVANO_WINE_GUARD:-}" ]; then
    exec env TIVANO_WINE_GUARD=1 unshare --mount --propagation private -- "$self" "$@"
fi
if [ "$TIVANO_WINE_GUARD" = 1 ]; then
    for device in $(compgen -G '/dev/ttyS*' || true); do mount --bind /dev/null "$device"; done
    export TIVANO_WINE_GUARD=2
fi
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$self" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEPREFIX=/var/cache/tivano-mingw/wineprefix-race
rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
wine_run() { "$root/packaging/windows/wine-run" "$@"; }
fail() { echo "race-under-wine: $*" >&2; exit 1; }

# set_clock, find_window, race, close_program and start_window_manager.
source "$root/packaging/scripted-race.sh"

start_window_manager
wine_run "$setup" /S /CurrentUser
installed="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/Tivano"
[ -f "$installed/tivano.exe" ] || fail "the setup program did not install $installed/tivano.exe"

clock="$work/clock"

echo "== Linux build"
linux_folder="$work/linux"
mkdir -p "$linux_folder/home"
# The program with what it finds beside it: the help and its viewer module, the country codes.
linux_build=$(dirname "$linux_program")
cp "$linux_program" "$linux_build"/libtivanohelpviewer.so "$linux_build"/tivano.hlp "$root/resources/LKZ.txt" \
    "$linux_folder/"
set_clock 08:59:00.000
HOME="$linux_folder/home" TIVANO_SCRIPTED_CLOCK="$clock" QT_QPA_PLATFORM=xcb \
    "$linux_folder/$(basename "$linux_program")" &
linux_pid=$!
window=$(find_window) || fail "the Linux program shows no window"
race "$window"
close_program "$window" "$linux_pid"
[ -s "$linux_folder/Tivano.txt" ] || fail "the Linux program wrote no Tivano.txt"

echo "== Windows build under Wine"
windows_clock="Z:$(printf '%s' "$clock" | tr '/' '\\')"
set_clock 08:59:00.000
TIVANO_SCRIPTED_CLOCK="$windows_clock" wine_run "$installed/tivano.exe" &
wine_pid=$!
window=$(find_window) || fail "the Windows program shows no window under Wine"
race "$window"
close_program "$window" "$wine_pid"
[ -s "$installed/Tivano.txt" ] || fail "the Windows program wrote no Tivano.txt"

echo "== The autosaves"
if ! cmp "$linux_folder/Tivano.txt" "$installed/Tivano.txt"; then
    diff <(od -c "$linux_folder/Tivano.txt") <(od -c "$installed/Tivano.txt") | head -20 >&2
    fail "Tivano.txt differs between Linux and Windows"
fi
rows=$(grep -c $'\r$' "$installed/Tivano.txt")
[ "$rows" -eq 5 ] || fail "Tivano.txt holds $rows lines, not the title and four results"
echo "Tivano.txt is the same $(stat -c %s "$installed/Tivano.txt") bytes on both: $rows lines"

echo "== The settings in the registry"
settings=$(wine_run reg query 'HKCU\Software\tivano' | tr -d '\r')
for value in Port Alg Left Top Width Height Sound C1 C2 C3 Acc C4 FilterInd Wait ButtonLap; do
    grep -Eq "^ +$value +REG_DWORD +0x[0-9a-f]+$" <<<"$settings" \
        || fail "the registry lacks the DWORD value $value under HKCU\\Software\\tivano"
done
echo "all fifteen values are DWORDs under HKCU\\Software\\tivano"

echo "== Restarted, the protocol comes back"
before=$(sha256sum <"$installed/Tivano.txt")
TIVANO_SCRIPTED_CLOCK="$windows_clock" wine_run "$installed/tivano.exe" &
wine_pid=$!
window=$(find_window) || fail "the restarted program shows no window"
sleep 2
if [ -n "$screenshot" ]; then
    # The window on the black desktop, cut out.
    import -window root png:- | convert - -trim +repage "$screenshot"
    echo "screenshot: $screenshot"
fi
close_program "$window" "$wine_pid"
[ "$(sha256sum <"$installed/Tivano.txt")" = "$before" ] \
    || fail "the restarted program did not bring back the same protocol"
echo "the restarted program brought back all four results and wrote them unchanged"
