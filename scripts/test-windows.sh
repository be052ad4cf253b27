#!/usr/bin/env bash
# The Windows build, made and tested on Linux: cross-builds everything with MinGW-w64 against Qt
# for Windows (scripts/windows-qt.sh), runs every Qt Test suite as a Windows program under Wine on
# Xvfb, checks the programs' and the installer's version resources and manifests, builds the
# installer and the portable zip, and tries the installer silently under Wine: an older build
# with brindle-cli on the PATH and a desktop icon, an upgrade refused while Brindle runs, the
# upgrade over it into its folder with every choice kept, a refused downgrade, the installed
# programs' entry, the file types (opening a file through its type), the uninstall, and an
# install, upgrade and uninstall for the current user only. Then it takes the picture of
# the first page (build/windows/first-page.png; --update-picture copies it to docs/). Exits
# non-zero if anything fails.
#
# Results come from each suite's Qt Test log (-o FILE,txt) and its "Totals:" line, never from an
# exit code: "wine explorer" always ends with 0, and Qt on Windows logs to the debugger.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

update_picture=0
installer_only=0
for arg in "$@"; do
    case $arg in
        --update-picture) update_picture=1 ;;
        --installer) installer_only=1 ;;  # the build, the packages and the installer's tries only
        *) echo "usage: $0 [--update-picture | --installer]" >&2; exit 2 ;;
    esac
done

"$root/scripts/setup-deps.sh" windows

jobs=$(nproc 2>/dev/null || echo 2)
build=$root/build/windows
bin=$build/bin
results=$build/test-results
suite_timeout=${BRINDLE_WINE_TIMEOUT:-600}
status=0
passed=0
failed=0
skipped=0
failures=()
skips=()

step() { printf '\n==== %s\n' "$*"; }
now() { date +%s; }
fail() {
    echo "FAILED: $*" >&2
    failures+=("$*")
    status=1
}

start_all=$(now)

step "Qt for Windows"
start=$(now)
BRINDLE_QT_WINDOWS=$(scripts/windows-qt.sh)
export BRINDLE_QT_WINDOWS
qt_seconds=$(( $(now) - start ))
echo "$BRINDLE_QT_WINDOWS (${qt_seconds} s)"

step "cross-build (windows preset)"
start=$(now)
cmake --preset windows -DBRINDLE_QT_WINDOWS="$BRINDLE_QT_WINDOWS" >/dev/null
nice -n 10 cmake --build --preset windows -j "$jobs"
build_seconds=$(( $(now) - start ))
echo "cross-build: ${build_seconds} s"

# A scratch Wine prefix and X display for this run only.
scratch=$(mktemp -d /tmp/brindle-wine.XXXXXX)
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
display=
xvfb_pid=
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    sleep 1
    if kill -0 "$xvfb_pid" 2>/dev/null && xdpyinfo -display ":$n" >/dev/null 2>&1; then
        display=":$n"
        break
    fi
    xvfb_pid=
done
[ -n "$display" ] || { echo "no Xvfb display could be started" >&2; exit 1; }
export DISPLAY=$display

step "Wine prefix"
nice -n 10 wineboot -i >/dev/null 2>&1
wineserver -w

# Windows path of a Linux path (Wine maps / to Z:).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Reads one suite's Qt Test log; adds its counts and lists its failures and skips.
read_log() {
    local name=$1 log=$2 totals p f s
    if [ ! -f "$log" ] || ! totals=$(grep -a '^Totals:' "$log" | tail -1) || [ -z "$totals" ]; then
        fail "$name: no Totals line (crashed or hung)"
        [ -f "$log" ] && tail -20 "$log" >&2
        return
    fi
    p=$(sed -E 's/^Totals: ([0-9]+) passed.*/\1/' <<<"$totals")
    f=$(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$totals")
    s=$(sed -E 's/.* ([0-9]+) skipped.*/\1/' <<<"$totals")
    passed=$((passed + p))
    failed=$((failed + f))
    skipped=$((skipped + s))
    printf '%-22s %s\n' "$name" "$totals"
    if [ "$f" -ne 0 ]; then
        grep -a -A3 -E '^FAIL!' "$log" >&2 || true
        fail "$name: $f failed"
    fi
    while IFS= read -r line; do
        skips+=("$name: ${line#SKIP   : }")
    done < <(grep -a '^SKIP' "$log" || true)
}

# Widget suites run inside a Wine virtual desktop: without a window manager, bare windows are
# never activated and a test waiting for that would wait for ever.
uses_widgets() {
    local imports
    imports=$(x86_64-w64-mingw32-objdump -p "$1")
    grep -q 'DLL Name: Qt6Widgets.dll' <<<"$imports"
}

step "test suites under Wine"
rm -rf "$results"
mkdir -p "$results"
start=$(now)
suites=0
for exe in "$bin"/tst_*.exe; do
    [ "$installer_only" -eq 1 ] && break
    name=$(basename "$exe" .exe)
    log=$results/$name.txt
    suites=$((suites + 1))
    if uses_widgets "$exe"; then
        (cd "$bin" && timeout "$suite_timeout" nice -n 10 \
            wine explorer "/desktop=brindle-$name,1280x1024" "$name.exe" -o "$(winpath "$log"),txt" \
            >"$results/$name.out" 2>&1) || true
    else
        (cd "$bin" && timeout "$suite_timeout" nice -n 10 \
            wine "$name.exe" -o "$(winpath "$log"),txt" >"$results/$name.out" 2>&1) || true
    fi
    read_log "$name" "$log"
done
wineserver -w
# The same pages drawn at 144 dots per inch (Windows' 150 %), as a user with a larger screen
# setting sees them: every static text whole, descenders and the header's last line included,
# and the report on the last page without scrolling (tst_textfit's drawnWhole; at 96 it ran
# above). The setting is Wine's, read by the program as Windows' own.
if [ "$installer_only" -eq 0 ] && [ -x "$bin/tst_textfit.exe" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
    wineserver -w
    log=$results/tst_textfit-144dpi.txt
    (cd "$bin" && timeout "$suite_timeout" nice -n 10 \
        wine explorer "/desktop=brindle-textfit-144,1920x1440" tst_textfit.exe drawnWhole -o "$(winpath "$log"),txt" \
        >"$results/tst_textfit-144dpi.out" 2>&1) || true
    grep -aq 'dots per inch: 144' "$log" 2>/dev/null || fail "tst_textfit at 144 dpi: the program did not draw at 144 dots per inch"
    read_log "tst_textfit (144 dpi)" "$log"
    wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
    wineserver -w
fi
suite_seconds=$(( $(now) - start ))
[ "$suites" -gt 0 ] || [ "$installer_only" -eq 1 ] || fail "no test suites were built"

step "installer and zip"
start=$(now)
(cd "$build" && rm -f brindle-*-win64.exe brindle-*-win64.zip && cpack -C RelWithDebInfo >/dev/null)
installer=$(ls "$build"/brindle-[0-9]*-win64.exe 2>/dev/null | head -1 || true)
zip=$(ls "$build"/brindle-[0-9]*-win64.zip 2>/dev/null | head -1 || true)
# The same installer as an older version, to upgrade from and to refuse a downgrade to.
older_version=1.1.0.2
(cd "$build" && cpack -C RelWithDebInfo -G NSIS -D CPACK_PACKAGE_VERSION=$older_version \
    -D CPACK_PACKAGE_FILE_NAME=brindle-older-win64 >/dev/null)
older=$build/brindle-older-win64.exe
[ -f "$older" ] || fail "cpack built no older installer"
package_seconds=$(( $(now) - start ))
installer_size=0
zip_size=0
if [ -z "$installer" ] || [ -z "$zip" ]; then
    fail "cpack built no installer or no zip"
else
    installer_size=$(stat -c %s "$installer")
    zip_size=$(stat -c %s "$zip")
    echo "$installer: $installer_size bytes"
    echo "$zip: $zip_size bytes"
fi

step "version resources and manifests"
# Strings of a version resource are UTF-16; a manifest is UTF-8 text in the resources.
has_utf16() { python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); sys.exit(0 if all(a.encode("utf-16-le") in d for a in sys.argv[2:]) else 1)' "$@"; }
has_text() { python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); sys.exit(0 if all(a.encode() in d for a in sys.argv[2:]) else 1)' "$@"; }
version=$(sed -n 's/^project(Brindle VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
for exe in "$bin/brindle.exe" "$bin/brindle-cli.exe" ${installer:+"$installer"}; do
    has_utf16 "$exe" FileVersion "$version" CompanyName "The Brindle developers" \
        && echo "$(basename "$exe"): version resource $version" || fail "$(basename "$exe") has no version resource"
done
for exe in "$bin/brindle.exe" "$bin/brindle-cli.exe"; do
    has_text "$exe" "<activeCodePage" ">UTF-8<" "PerMonitorV2" "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" \
        && echo "$(basename "$exe"): manifest with per-monitor DPI, UTF-8 and Windows 10" \
        || fail "$(basename "$exe") lacks its manifest"
done

# The pages a user sees (a silent install shows none): the licence page shows LICENSE and the
# last page offers to run the wizard, as CPack wrote them into the installer's script.
nsi=$build/_CPack_Packages/win64/NSIS/project.nsi
grep -qF "!insertmacro MUI_PAGE_LICENSE \"$root/LICENSE\"" "$nsi" || fail "installer: the licence page does not show LICENSE"
grep -qF '!define MUI_FINISHPAGE_RUN "$INSTDIR\bin\brindle.exe"' "$nsi" && grep -qF 'MUI_FINISHPAGE_RUN_TEXT "Run Brindle"' "$nsi" \
    && echo "installer: licence page with LICENSE, \"Run Brindle\" on the last page" || fail "installer: no \"Run Brindle\" on the last page"

# The files every installation must hold, relative to the installation folder.
expected_files=(
    LICENSE.txt THIRD-PARTY-NOTICES.txt
    licenses/LGPL-3.0.txt licenses/GPL-3.0.txt licenses/GCC-RUNTIME-LIBRARY-EXCEPTION-3.1.txt licenses/winpthreads.txt
    bin/brindle.exe bin/brindle-cli.exe
    bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll
    bin/platforms/qwindows.dll bin/styles/qwindowsvistastyle.dll
    bin/imageformats/qgif.dll bin/imageformats/qico.dll
    bin/libstdc++-6.dll bin/libgcc_s_seh-1.dll bin/libwinpthread-1.dll
)

step "portable zip"
if [ -n "$zip" ]; then
    listing=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip")
    for f in "${expected_files[@]}"; do
        grep -qF "/$f" <<<"$listing" || fail "zip: $f missing"
    done
    if grep -qE 'tst_|Qt6Test' <<<"$listing"; then
        fail "zip: test programs or Qt Test packaged"
    fi
    echo "zip holds $(wc -l <<<"$listing") files"
fi

step "install, upgrade, downgrade and uninstall under Wine"
# The data of one registry value ('' for the default), or empty when there is none; with a third
# argument, "yes" when the value exists.
reg_value() {
    local out
    if [ -z "$2" ]; then
        out=$(wine reg query "$1" /ve 2>/dev/null | tr -d '\r') || return 0
        [ -n "${3:-}" ] && { echo yes; return 0; }
        sed -nE 's/^ *\(Default\) +REG_[A-Z_]+ *(.*)$/\1/p' <<<"$out" | head -1
    else
        out=$(wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r') || return 0
        grep -qE "^ *$2 +REG_" <<<"$out" || return 0
        [ -n "${3:-}" ] && { echo yes; return 0; }
        sed -nE "s/^ *$2 +REG_[A-Z_]+ *(.*)\$/\\1/p" <<<"$out" | head -1
    fi
}
# How many entries of the PATH value $1 are the folder $2 (letter case aside).
path_entries() { tr ';' '\n' <<<"$1" | grep -ciFx -- "$2" || true; }
# Runs an installer or uninstaller silently and waits for it (and, unless a program of the
# prefix is meant to go on running, for everything it started); its exit code in $ran.
run_silently() {
    ran=0
    timeout 300 wine "$@" >/dev/null 2>&1 || ran=$?
    [ -n "${keep_running:-}" ] || wineserver -w
}
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindle'
user_uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindle'
system_env='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
user_env='HKCU\Environment'
if [ -n "$installer" ] && [ -f "$older" ]; then
    c_drive=$WINEPREFIX/drive_c
    # Another program owns .ROM: Brindle joins its "Open with" list and leaves its default.
    wine reg add 'HKCR\.ROM' /ve /d Other.ROM /f >/dev/null 2>&1
    wine reg add 'HKCR\.ROM\OpenWithProgids' /v Other.ROM /d '' /f >/dev/null 2>&1
    fixture=$scratch/fixture.quf
    (cd "$bin" && wine make_fixture.exe "$(winpath "$fixture")" >/dev/null 2>&1) || true
    [ -f "$fixture" ] || fail "make_fixture wrote no image"

    # An older build in a folder of the user's choice, with brindle-cli on the PATH and a
    # desktop icon.
    instdir="$c_drive/BrindleOld"
    run_silently "$older" /S /AddToPath /DesktopIcon '/D=C:\BrindleOld'
    [ -f "$instdir/Uninstall.exe" ] || fail "older install: nothing in C:\\BrindleOld"
    [ "$(reg_value "$uninstall_key" DisplayVersion)" = "$older_version" ] || fail "older install: not registered as $older_version"
    [ "$(path_entries "$(reg_value "$system_env" PATH)" 'C:\BrindleOld\bin')" = 1 ] \
        || fail "older install with /AddToPath: C:\\BrindleOld\\bin is not on the PATH once: $(reg_value "$system_env" PATH)"
    desktop_icon=$(find "$c_drive/users" -ipath '*Desktop*' -iname 'Brindle.lnk' 2>/dev/null | head -1)
    [ -n "$desktop_icon" ] || fail "older install with /DesktopIcon: no desktop icon"

    # A running Brindle is never replaced: the silent upgrade stops, and the older one stays.
    (cd "$scratch" && wine "$instdir/bin/brindle.exe" "$(winpath "$fixture")" >/dev/null 2>&1 &)
    shown=
    for _ in $(seq 1 120); do
        xwininfo -root -tree 2>/dev/null | grep -q '"Norvale Firmware Customiser' && { shown=1; break; }
        sleep 0.5
    done
    if [ -z "$shown" ]; then
        fail "the older brindle.exe showed no window"
    else
        before=$(sha256sum "$instdir/bin/brindle.exe")
        keep_running=1 run_silently "$installer" /S
        [ "$ran" -ne 0 ] || fail "upgrade over a running Brindle: the installer ended with 0"
        [ "$(reg_value "$uninstall_key" DisplayVersion)" = "$older_version" ] \
            || fail "upgrade over a running Brindle: $(reg_value "$uninstall_key" DisplayVersion) registered"
        [ "$(sha256sum "$instdir/bin/brindle.exe")" = "$before" ] || fail "upgrade over a running Brindle: brindle.exe replaced"
        [ -f "$instdir/Uninstall.exe" ] || fail "upgrade over a running Brindle: the older installation was removed"
        echo "a running Brindle: the silent upgrade stopped (exit $ran) and left the installation as it was"
    fi
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true

    # The upgrade, silent and without options: into the earlier folder, one uninstaller, and
    # every earlier choice kept.
    run_silently "$installer" /S
    [ "$ran" -eq 0 ] || fail "upgrade: the installer ended with $ran"
    [ ! -e "$c_drive/Program Files/Brindle" ] || fail "upgrade: installed into Program Files, not the earlier folder"
    for f in "${expected_files[@]}"; do
        [ -f "$instdir/$f" ] || fail "install: $f missing"
    done
    uninstallers=$(find "$c_drive" -iname 'Uninstall.exe' -ipath '*Brindle*' 2>/dev/null | wc -l)
    [ "$uninstallers" -eq 1 ] || fail "upgrade: $uninstallers uninstallers"
    [ "$(path_entries "$(reg_value "$system_env" PATH)" 'C:\BrindleOld\bin')" = 1 ] \
        || fail "silent upgrade: the PATH chosen before is lost: $(reg_value "$system_env" PATH)"
    [ "$(reg_value "$uninstall_key" AddToPath)" = 1 ] || fail "upgrade: AddToPath is not kept"
    [ -n "$(find "$c_drive/users" -ipath '*Desktop*' -iname 'Brindle.lnk' 2>/dev/null | head -1)" ] \
        || fail "silent upgrade: the desktop icon chosen before is lost"
    echo "silent upgrade: C:\\BrindleOld, brindle-cli on the PATH and the desktop icon kept"
    # One Start-menu shortcut, not in a folder of its own, and no uninstaller there.
    menu=$(find "$c_drive" -path '*Start Menu*' -iname '*Brindle*' 2>/dev/null)
    [ "$(grep -c . <<<"$menu")" -eq 1 ] && grep -qi '/Programs/Brindle.lnk$' <<<"$menu" \
        || fail "Start menu: $(tr '\n' ' ' <<<"$menu")"
    # brindle-cli by its name, in a console started after the install (Wine reads the
    # environment from the registry when its server starts).
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    by_name=$(cd "$scratch" && timeout 120 wine cmd /c brindle-cli --version 2>&1 | tr -d '\r' || true)
    grep -q "^brindle-cli $version," <<<"$by_name" && echo "brindle-cli --version by its name: ok" \
        || fail "brindle-cli is not found by its name after the upgrade: $by_name"

    # The installed programs' entry.
    [ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "upgrade: DisplayVersion is not $version"
    [ "$(reg_value "$uninstall_key" InstallLocation)" = 'C:\BrindleOld' ] \
        || fail "install: InstallLocation is \"$(reg_value "$uninstall_key" InstallLocation)\""
    [ "$(reg_value "$uninstall_key" QuietUninstallString)" = '"C:\BrindleOld\Uninstall.exe" /S' ] \
        || fail "install: QuietUninstallString is \"$(reg_value "$uninstall_key" QuietUninstallString)\""
    size=$(reg_value "$uninstall_key" EstimatedSize)
    [ -n "$size" ] && [ $((size)) -gt 1000 ] || fail "install: EstimatedSize is \"$size\""
    echo "installed programs' entry: version $version, C:\\BrindleOld, $((size)) KiB"

    # File types: .QUF opens with Brindle; .ROM offers it and keeps its default.
    [ "$(reg_value 'HKCR\.QUF' '')" = "Brindle.QUF" ] || fail "install: .QUF does not open with Brindle"
    [ "$(reg_value 'HKCR\Brindle.QUF\shell\open\command' '')" = '"C:\BrindleOld\bin\brindle.exe" "%1"' ] \
        || fail "install: Brindle.QUF opens with \"$(reg_value 'HKCR\Brindle.QUF\shell\open\command' '')\""
    [ "$(reg_value 'HKCR\.ROM' '')" = "Other.ROM" ] || fail "install: took the default of .ROM"
    [ -n "$(reg_value 'HKCR\.ROM\OpenWithProgids' Brindle.ROM exists)" ] || fail "install: Brindle not in Open with for .ROM"
    [ -n "$(reg_value 'HKCR\Applications\brindle.exe\SupportedTypes' .ROM exists)" ] || fail "install: .ROM not among Brindle's types"

    # A downgrade asks first; a silent one keeps the newer installation.
    run_silently "$older" /S
    [ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "downgrade: replaced $version without asking"
    [ -f "$instdir/bin/brindle.exe" ] || fail "downgrade: removed the installation"

    # The installed command-line program on a generated image.
    if [ -f "$fixture" ] && [ -f "$instdir/bin/brindle-cli.exe" ]; then
        info=$(cd "$scratch" && timeout 120 wine "$instdir/bin/brindle-cli.exe" info "$(winpath "$fixture")" 2>&1 | tr -d '\r' || true)
        if grep -qx 'Firmware Type: QSOL QUF Upgrader File for Main Code' <<<"$info" \
            && grep -qx 'Firmware Version: 03.64' <<<"$info"; then
            echo "installed brindle-cli.exe info: ok"
        else
            fail "installed brindle-cli.exe info printed: $info"
        fi
    fi

    # The installed wizard shows its window (bare on the X display, so the window is X's own),
    # started as Explorer starts it for an upgrade file: through the file type's open command.
    if [ -f "$instdir/bin/brindle.exe" ] && [ -f "$fixture" ]; then
        (cd "$scratch" && wine start "$(winpath "$fixture")" >/dev/null 2>&1 &)
        shown=
        for _ in $(seq 1 120); do
            xwininfo -root -tree 2>/dev/null | grep -q '"Norvale Firmware Customiser' && { shown=1; break; }
            sleep 0.5
        done
        [ -n "$shown" ] && echo "fixture.quf opened: brindle.exe's window shown" \
            || fail "opening fixture.quf showed no brindle.exe window"
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi

    # Silent uninstall, as QuietUninstallString runs it: the uninstaller copies itself away and
    # removes everything.
    if [ -f "$instdir/Uninstall.exe" ]; then
        run_silently "$instdir/Uninstall.exe" /S
        for _ in $(seq 1 60); do
            [ -e "$instdir" ] || break
            sleep 0.5
        done
        if [ -e "$instdir" ]; then
            fail "uninstall left behind: $(cd "$instdir" && find . | head -20 | tr '\n' ' ')"
        fi
        left=$(find "$c_drive" \( -path '*Start Menu*' -o -ipath '*Desktop*' \) -iname '*Brindle*' 2>/dev/null | head -5)
        [ -z "$left" ] || fail "uninstall left shortcuts: $left"
        [ "$(path_entries "$(reg_value "$system_env" PATH)" 'C:\BrindleOld\bin')" = 0 ] \
            || fail "uninstall left C:\\BrindleOld\\bin on the PATH"
        if wine reg query "$uninstall_key" >/dev/null 2>&1; then
            fail "uninstall left its entry in the installed programs"
        fi
        if wine reg query 'HKLM\Software\The Brindle developers' >/dev/null 2>&1; then
            fail "uninstall left the key HKLM\\Software\\The Brindle developers"
        fi
        for key in 'HKCR\.QUF' 'HKCR\Brindle.QUF' 'HKCR\Brindle.ROM' 'HKCR\Applications\brindle.exe'; do
            wine reg query "$key" >/dev/null 2>&1 && fail "uninstall left $key"
        done
        [ "$(reg_value 'HKCR\.ROM' '')" = "Other.ROM" ] || fail "uninstall took the default of .ROM from its program"
        [ -n "$(reg_value 'HKCR\.ROM\OpenWithProgids' Other.ROM exists)" ] \
            || fail "uninstall removed another program's Open with entry for .ROM"
        [ -z "$(reg_value 'HKCR\.ROM\OpenWithProgids' Brindle.ROM exists)" ] || fail "uninstall left Brindle in Open with for .ROM"
        [ -e "$instdir" ] || echo "uninstall: nothing left behind"
    fi

    # For the current user only (/CurrentUser, as a user without administrator rights gets it):
    # the user's own programs folder, programs' list, file types, Start menu and PATH, nothing
    # of the machine's; a silent upgrade keeps it so, its PATH included; the uninstaller
    # removes it all.
    run_silently "$installer" /S /CurrentUser /AddToPath
    user_dir=$(find "$c_drive/users" -ipath '*AppData/Local/Programs/Brindle' -type d 2>/dev/null | head -1)
    if [ -z "$user_dir" ] || [ ! -f "$user_dir/bin/brindle.exe" ]; then
        fail "install for the current user: nothing in the user's programs folder"
    else
        user_location=$(reg_value "$user_uninstall_key" InstallLocation)
        [[ $user_location == *'\AppData\Local\Programs\Brindle' ]] \
            || fail "install for the current user: InstallLocation is \"$user_location\""
        wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "install for the current user: registered for all users"
        [ "$(reg_value 'HKCU\Software\Classes\.QUF' '')" = "Brindle.QUF" ] || fail "install for the current user: no .QUF type of the user's"
        [ "$(path_entries "$(reg_value "$user_env" PATH)" "$user_location\\bin")" = 1 ] \
            || fail "install for the current user: its bin is not on the user's PATH: $(reg_value "$user_env" PATH)"
        [ "$(path_entries "$(reg_value "$system_env" PATH)" "$user_location\\bin")" = 0 ] \
            || fail "install for the current user: changed the machine's PATH"
        [ -n "$(find "$c_drive/users" -path '*Start Menu/Programs/Brindle.lnk' 2>/dev/null | head -1)" ] \
            || fail "install for the current user: no Start-menu shortcut of the user's"
        run_silently "$installer" /S
        wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "silent upgrade for the current user: moved to all users"
        [ "$(reg_value "$user_uninstall_key" DisplayVersion)" = "$version" ] || fail "silent upgrade for the current user: not registered"
        [ "$(path_entries "$(reg_value "$user_env" PATH)" "$user_location\\bin")" = 1 ] \
            || fail "silent upgrade for the current user: the PATH chosen before is lost: $(reg_value "$user_env" PATH)"
        echo "install for the current user: $user_location, the user's PATH, kept over a silent upgrade"
        run_silently "$user_dir/Uninstall.exe" /S
        for _ in $(seq 1 60); do
            [ -e "$user_dir" ] || break
            sleep 0.5
        done
        [ ! -e "$user_dir" ] || fail "uninstall for the current user left $user_dir"
        wine reg query "$user_uninstall_key" >/dev/null 2>&1 && fail "uninstall for the current user left its entry"
        [ "$(path_entries "$(reg_value "$user_env" PATH)" "$user_location\\bin")" = 0 ] \
            || fail "uninstall for the current user left its bin on the PATH"
    fi
fi

# The installer's own face: the product's pictures, name and options, not NSIS's.
grep -qF 'MUI_WELCOMEFINISHPAGE_BITMAP' "$nsi" && grep -qF 'cmake/nsis/welcome.bmp' "$nsi" \
    && grep -qF 'cmake/nsis/header.bmp' "$nsi" || fail "installer: not the product's pictures"
grep -qF 'BrandingText "Brindle ' "$nsi" || fail "installer: NSIS's own branding text"
options_ini=$build/_CPack_Packages/win64/NSIS/NSIS.InstallOptions.ini
grep -qF 'Text=Add brindle-cli to the PATH' "$options_ini" || fail "installer: the PATH option does not name brindle-cli"
grep -qiE 'Text=.*\bbrindle\b to the' "$options_ini" && fail "installer: the options page names the package, not the product"

step "picture of the first page"
picture=$build/first-page.png
rm -f "$picture"
if [ "$installer_only" -eq 1 ]; then
    echo "(left out with --installer)"
else
    (cd "$bin" && timeout 120 wine explorer /desktop=brindle-picture,800x600 screenshot_window.exe "$(winpath "$picture")" \
        >/dev/null 2>&1) || true
    wineserver -w
fi
if [ "$installer_only" -eq 1 ]; then
    :
elif [ -s "$picture" ]; then
    echo "$picture"
    if [ "$update_picture" -eq 1 ]; then
        cp "$picture" docs/windows-file-open.png
        echo "copied to docs/windows-file-open.png"
    fi
else
    fail "no picture of the first page"
fi

total_seconds=$(( $(now) - start_all ))
step "summary"
echo "suites: $suites; test functions and rows: $passed passed, $failed failed, $skipped skipped"
if [ ${#skips[@]} -gt 0 ]; then
    echo "skipped:"
    printf '  %s\n' "${skips[@]}"
fi
echo "Qt for Windows: ${qt_seconds} s; cross-build: ${build_seconds} s; suites under Wine: ${suite_seconds} s;" \
     "packages: ${package_seconds} s; whole run: ${total_seconds} s"
echo "installer: $installer_size bytes; zip: $zip_size bytes"
if [ $status -eq 0 ]; then
    step "all Windows checks passed"
else
    step "FAILURES"
    printf '  %s\n' "${failures[@]}"
fi
exit $status
