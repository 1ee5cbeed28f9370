#!/usr/bin/env bash
# Installs, upgrades and uninstalls the Windows setup program under Wine, in a fresh prefix:
#
#   packaging/windows/test-installer.sh <TivanoSetup-x.exe> <stage-dir>
#   packaging/windows/test-installer.sh --fake-stage
#
# <stage-dir> is the folder the setup was built from; every file in it must be installed.
# --fake-stage builds a small stand-in program and two setups from it (an older one with
# an extra file, to check that an upgrade drops it), so the setup can be tested without
# the real cross build.
#
# Environment: INSTALLER_TEST_PREFIX  the Wine prefix, deleted and set up anew on each run
#              (default /var/cache/tivano-mingw/wineprefix-installer-test)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

export WINEPREFIX=${INSTALLER_TEST_PREFIX:-/var/cache/tivano-mingw/wineprefix-installer-test}
key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Tivano'
checks=0

fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { checks=$((checks + 1)); echo "ok: $*"; }
usage() { echo "usage: test-installer.sh <setup.exe> <stage-dir> | --fake-stage" >&2; exit 2; }
win() { "$here/wine-run" "$@"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The stand-in for tivano.exe writes its autosave Tivano.txt beside itself, as the real
# program does in a writable folder.
make_fake_stage() {
    local stage=$1 name
    mkdir -p "$stage/plugins/platforms" "$stage/plugins/styles" "$stage/translations" "$stage/Beispiele Ü"
    cat >"$work/fake.c" <<'EOF'
#include <windows.h>
#include <wchar.h>
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR args, int show)
{
    wchar_t path[MAX_PATH + 16];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    wchar_t *slash = wcsrchr(path, L'\\');
    if (length == 0 || length >= MAX_PATH || !slash) return 1;
    wcscpy(slash + 1, L"Tivano.txt");
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written;
    BOOL done = file != INVALID_HANDLE_VALUE && WriteFile(file, "Autosave\r\n", 10, &written, NULL);
    return done ? 0 : 2;
}
EOF
    x86_64-w64-mingw32-gcc-posix -municode -mwindows -O2 -s -o "$stage/tivano.exe" "$work/fake.c"
    for name in Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll libgcc_s_seh-1.dll \
        libwinpthread-1.dll plugins/platforms/qwindows.dll plugins/styles/qwindowsvistastyle.dll \
        translations/qtbase_de.qm LKZ.txt tivano.hlp; do
        echo "stand-in for $name" >"$stage/$name"
    done
    # Spaces, umlauts and a $ must survive the generated File and Delete lines.
    echo "Beispiel" >"$stage/Beispiele Ü/Lauf \$1.txt"
}

case "${1:-}" in
    --fake-stage)
        [ $# -eq 1 ] || usage
        stage="$work/stage"
        make_fake_stage "$stage"
        cp -r "$stage" "$work/stage-old"
        echo "only in the old version" >"$work/stage-old/Qt6Veraltet.dll"
        echo "old" >"$work/stage-old/LKZ.txt"
        setup=$("$here/make-installer.sh" "$stage" 1.0.0 "$work/out")
        old_setup=$("$here/make-installer.sh" "$work/stage-old" 0.9.0 "$work/out")
        ;;
    -h|--help|'') usage ;;
    *)
        [ $# -eq 2 ] || usage
        setup=$(readlink -f "$1") stage=$(readlink -f "$2") old_setup=
        [ -f "$setup" ] || fail "no setup program $1"
        [ -f "$stage/tivano.exe" ] || fail "$2 is no staging folder (no tivano.exe)"
        ;;
esac
version=$(basename "$setup" | sed -nE 's/^TivanoSetup-(.+)\.exe$/\1/p')
(cd "$stage" && find -L . -type f -printf '%P\n' | LC_ALL=C sort) >"$work/staged"

# The prefix is deleted, so it must be ours and nothing else.
[[ $WINEPREFIX == /var/cache/tivano-mingw/wineprefix-installer-* ]] ||
    fail "refusing to delete $WINEPREFIX: not /var/cache/tivano-mingw/wineprefix-installer-*"
rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
win --prepare

winenv() { win cmd /c "echo %$1%" | tr -d '\r'; }
unix_path() { # C:\a\b -> $WINEPREFIX/drive_c/a/b
    local p=${1#[Cc]:}
    echo "$WINEPREFIX/drive_c${p//\\//}"
}
user_win="$(winenv LOCALAPPDATA)\\Programs\\Tivano"
all_win="$(winenv ProgramW6432)\\Tivano"
user_dir=$(unix_path "$user_win")
all_dir=$(unix_path "$all_win")
user_menu=$(unix_path "$(winenv APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs")
all_menu=$(unix_path "$(winenv ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs")

# The uninstall key's values as name=data lines in $work/values; fails without the key.
reg_values() {
    win reg query "$1\\$key" /reg:64 2>/dev/null | tr -d '\r' |
        sed -nE 's/^    ([^ ]+)    REG_[A-Z_]+    (.*)$/\1=\2/p' >"$work/values"
}
reg_key_missing() { ! win reg query "$1\\$key" /reg:64 >/dev/null 2>&1; }
value() { sed -n "s/^$1=//p" "$work/values"; }

install() { # setup mode
    local rc=0
    win "$1" /S "/$2" || rc=$?
    [ $rc -eq 0 ] || fail "$(basename "$1") /S /$2 ended with $rc"
}

# Runs the key's QuietUninstallString, with extra arguments.
run_quiet_uninstall() {
    local hive=$1 quiet exe args rc=0
    shift
    reg_values "$hive" || fail "$hive: no uninstall key to uninstall with"
    quiet=$(value QuietUninstallString)
    exe=$(sed -nE 's/^"([^"]+)" .*/\1/p' <<<"$quiet")
    read -r -a args <<<"${quiet:${#exe}+3}"
    win "$(unix_path "$exe")" "${args[@]}" "$@" || rc=$?
    [ $rc -eq 0 ] || fail "$hive: uninstall ($quiet $*) ended with $rc"
}

# Every staged file, byte for byte; besides them only the uninstaller and the given files.
check_files() { # folder what [other files]
    local dir=$1 what=$2 file
    shift 2
    while IFS= read -r file; do
        cmp -s "$stage/$file" "$dir/$file" || fail "$what: $file missing or different in $dir"
    done <"$work/staged"
    { cat "$work/staged"; echo uninstall.exe; [ $# -eq 0 ] || printf '%s\n' "$@"; } | LC_ALL=C sort >"$work/expected"
    (cd "$dir" && find . -type f -printf '%P\n' | LC_ALL=C sort) >"$work/present"
    diff "$work/expected" "$work/present" >&2 || fail "$what: files in $dir other than expected (< missing, > extra)"
    ok "$what: all $(wc -l <"$work/staged") staged files and uninstall.exe in $dir"
}

check_registration() { # hive install-folder-in-windows-form mode what
    local hive=$1 location=$2 mode=$3 what=$4 name expected
    reg_values "$hive" || fail "$what: no key $hive\\$key"
    while IFS='|' read -r name expected; do
        [ "$(value "$name")" = "$expected" ] || fail "$what: $name is '$(value "$name")', expected '$expected'"
    done <<EOF
DisplayName|Tivano
Publisher|Korvano Software
DisplayVersion|${version:-$(value DisplayVersion)}
InstallLocation|$location
DisplayIcon|$location\\tivano.exe,0
UninstallString|"$location\\uninstall.exe" /$mode
QuietUninstallString|"$location\\uninstall.exe" /S /$mode
NoModify|0x1
NoRepair|0x1
EOF
    [ $(($(value EstimatedSize))) -gt 0 ] || fail "$what: EstimatedSize is '$(value EstimatedSize)'"
    ok "$what: uninstall key in $hive complete"
}

check_shortcut() { # menu-folder install-folder-in-windows-form what
    [ -f "$1/Tivano.lnk" ] || fail "$3: no $1/Tivano.lnk"
    strings -a "$1/Tivano.lnk" | grep -qxF "$2\\tivano.exe" || fail "$3: Tivano.lnk does not point to $2\\tivano.exe"
    ok "$3: Start-menu shortcut $1/Tivano.lnk"
}

check_results_kept() {
    cmp -s "$work/Tivano.txt" "$user_dir/Tivano.txt" || fail "$1: Tivano.txt changed or gone"
    cmp -s "$work/Tivano-Journal.txt" "$user_dir/Tivano-Journal.txt" || fail "$1: Tivano-Journal.txt changed or gone"
}

echo "== per-user install into $user_win"
if [ -n "$old_setup" ]; then
    install "$old_setup" CurrentUser
    [ -f "$user_dir/Qt6Veraltet.dll" ] || fail "old version: Qt6Veraltet.dll not installed"
    ok "old version 0.9.0 installed for the current user"
fi
install "$setup" CurrentUser
check_files "$user_dir" "per-user"
check_registration HKCU "$user_win" CurrentUser "per-user"
check_shortcut "$user_menu" "$user_win" "per-user"
{ [ ! -e "$all_menu/Tivano.lnk" ] && reg_key_missing HKLM; } || fail "per-user: touched the all-users places"

echo "== all-users install into $all_win"
install "$setup" AllUsers
check_files "$all_dir" "all-users"
check_registration HKLM "$all_win" AllUsers "all-users"
check_shortcut "$all_menu" "$all_win" "all-users"
check_registration HKCU "$user_win" CurrentUser "per-user beside all-users"

echo "== results in the per-user folder, then an upgrade over it"
if [ -n "$old_setup" ]; then
    win "$user_dir/tivano.exe" || fail "the installed tivano.exe did not run"
    [ -f "$user_dir/Tivano.txt" ] || fail "the installed tivano.exe wrote no Tivano.txt"
    ok "installed tivano.exe runs and writes Tivano.txt"
else
    printf 'Autosave\r\n' >"$user_dir/Tivano.txt"
fi
printf 'Journal\r\n' >"$user_dir/Tivano-Journal.txt"
cp "$user_dir/Tivano.txt" "$user_dir/Tivano-Journal.txt" "$work/"
echo "damaged" >"$user_dir/tivano.exe"
# As Tivano keeps its settings.
win reg add 'HKCU\Software\tivano' /v Test /t REG_SZ /d bleibt /f >/dev/null
install "$setup" CurrentUser
check_files "$user_dir" "per-user upgrade" Tivano.txt Tivano-Journal.txt
check_results_kept "per-user upgrade"
ok "per-user upgrade: damaged tivano.exe replaced, results files untouched"

echo "== per-user uninstall"
# _?= runs the uninstaller in place instead of from a copy in %TEMP%, so it is finished
# when Wine returns; it cannot delete itself then.
run_quiet_uninstall HKCU "_?=$user_win"
(cd "$user_dir" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort) >"$work/left"
printf '%s\n' Tivano-Journal.txt Tivano.txt uninstall.exe | diff - "$work/left" >&2 ||
    fail "per-user uninstall: $user_dir should hold only the results files (and uninstall.exe, run in place)"
check_results_kept "per-user uninstall"
ok "per-user uninstall: installed files and folders gone, Tivano.txt and Tivano-Journal.txt kept"
[ ! -e "$user_menu/Tivano.lnk" ] || fail "per-user uninstall: shortcut still there"
reg_key_missing HKCU || fail "per-user uninstall: HKCU uninstall key still there"
win reg query 'HKCU\Software\tivano' /v Test >/dev/null 2>&1 || fail "per-user uninstall: removed HKCU\\Software\\tivano"
ok "per-user uninstall: shortcut and uninstall key gone, settings key kept"
check_files "$all_dir" "all-users after the per-user uninstall"

echo "== all-users uninstall, as Windows runs it"
run_quiet_uninstall HKLM
# The uninstaller goes on from a copy in %TEMP%; removing the folder is its last step.
for _ in $(seq 120); do
    [ -e "$all_dir" ] || break
    sleep 0.5
done
[ ! -e "$all_dir" ] || fail "all-users uninstall: $all_dir still there after 60 s: $(find "$all_dir" | head -n 5)"
[ ! -e "$all_menu/Tivano.lnk" ] || fail "all-users uninstall: shortcut still there"
reg_key_missing HKLM || fail "all-users uninstall: HKLM uninstall key still there"
ok "all-users uninstall: folder, shortcut and uninstall key gone"

echo "PASS: $checks checks of $(basename "$setup") under Wine ($WINEPREFIX)"
