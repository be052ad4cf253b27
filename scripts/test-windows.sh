#!/usr/bin/env bash
# The Windows build, made and tested on Linux: cross-builds everything with MinGW-w64 against Qt
# for Windows (scripts/windows-qt.sh), runs every Qt Test suite as a Windows program under Wine on
# Xvfb, checks the programs' and the installer's version resources and manifests, builds the
# installer and the portable zip, and tries the installer silently under Wine: an older build,
# the upgrade over it into its folder, a refused downgrade, the installed programs' entry, the
# file types (opening a file through its type), and the uninstall. Then it takes the picture of
# the first page (build/windows/first-page.png; --update-picture copies it to docs/). Exits
# non-zero if anything fails.
#
# Results come from each suite's Qt Test log (-o FILE,txt) and its "Totals:" line, never from an
# exit code: "wine explorer" always ends with 0, and Qt on Windows logs to the debugger.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

update_picture=0
for arg in "$@"; do
    case $arg in
        --update-picture) update_picture=1 ;;
        *) echo "usage: $0 [--update-picture]" >&2; exit 2 ;;
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
suite_seconds=$(( $(now) - start ))
[ "$suites" -gt 0 ] || fail "no test suites were built"

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
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindle'
if [ -n "$installer" ] && [ -f "$older" ]; then
    c_drive=$WINEPREFIX/drive_c
    # Another program owns .ROM: Brindle joins its "Open with" list and leaves its default.
    wine reg add 'HKCR\.ROM' /ve /d Other.ROM /f >/dev/null 2>&1
    wine reg add 'HKCR\.ROM\OpenWithProgids' /v Other.ROM /d '' /f >/dev/null 2>&1

    # An older build in a folder of the user's choice.
    instdir="$c_drive/BrindleOld"
    timeout 300 wine "$older" /S '/D=C:\BrindleOld' >/dev/null 2>&1 || true
    wineserver -w
    [ -f "$instdir/Uninstall.exe" ] || fail "older install: nothing in C:\\BrindleOld"
    [ "$(reg_value "$uninstall_key" DisplayVersion)" = "$older_version" ] || fail "older install: not registered as $older_version"

    # The upgrade, without /D: into the earlier folder, one uninstaller.
    timeout 300 wine "$installer" /S >/dev/null 2>&1 || true
    wineserver -w
    [ ! -e "$c_drive/Program Files/Brindle" ] || fail "upgrade: installed into Program Files, not the earlier folder"
    for f in "${expected_files[@]}"; do
        [ -f "$instdir/$f" ] || fail "install: $f missing"
    done
    uninstallers=$(find "$c_drive" -iname 'Uninstall.exe' -ipath '*Brindle*' 2>/dev/null | wc -l)
    [ "$uninstallers" -eq 1 ] || fail "upgrade: $uninstallers uninstallers"
    shortcut=$(find "$c_drive" -path '*Start Menu*' -iname 'Brindle.lnk' 2>/dev/null | head -1)
    [ -n "$shortcut" ] || fail "install: no Start-menu entry"

    # The installed programs' entry.
    [ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "upgrade: DisplayVersion is not $version"
    [ "$(reg_value "$uninstall_key" InstallLocation)" = 'C:\BrindleOld' ] \
        || fail "install: InstallLocation is \"$(reg_value "$uninstall_key" InstallLocation)\""
    [ "$(reg_value "$uninstall_key" QuietUninstallString)" = '"C:\BrindleOld\Uninstall.exe" /S' ] \
        || fail "install: QuietUninstallString is \"$(reg_value "$uninstall_key" QuietUninstallString)\""
    size=$(reg_value "$uninstall_key" EstimatedSize)
    [ -n "$size" ] && [ $((size)) -gt 1000 ] || fail "install: EstimatedSize is \"$size\""
    echo "installed programs' entry: version $version, C:\\BrindleOld, $((size)) KiB"
    # brindle-cli joins PATH only when asked.
    path_value=$(reg_value 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' PATH)
    grep -qi 'Brindle' <<<"$path_value" && fail "install: PATH changed without being asked: $path_value"

    # File types: .QUF opens with Brindle; .ROM offers it and keeps its default.
    [ "$(reg_value 'HKCR\.QUF' '')" = "Brindle.QUF" ] || fail "install: .QUF does not open with Brindle"
    [ "$(reg_value 'HKCR\Brindle.QUF\shell\open\command' '')" = '"C:\BrindleOld\bin\brindle.exe" "%1"' ] \
        || fail "install: Brindle.QUF opens with \"$(reg_value 'HKCR\Brindle.QUF\shell\open\command' '')\""
    [ "$(reg_value 'HKCR\.ROM' '')" = "Other.ROM" ] || fail "install: took the default of .ROM"
    [ -n "$(reg_value 'HKCR\.ROM\OpenWithProgids' Brindle.ROM exists)" ] || fail "install: Brindle not in Open with for .ROM"
    [ -n "$(reg_value 'HKCR\Applications\brindle.exe\SupportedTypes' .ROM exists)" ] || fail "install: .ROM not among Brindle's types"

    # A downgrade asks first; a silent one keeps the newer installation.
    timeout 300 wine "$older" /S >/dev/null 2>&1 || true
    wineserver -w
    [ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "downgrade: replaced $version without asking"
    [ -f "$instdir/bin/brindle.exe" ] || fail "downgrade: removed the installation"

    # The installed command-line program on a generated image.
    fixture=$scratch/fixture.quf
    (cd "$bin" && wine make_fixture.exe "$(winpath "$fixture")" >/dev/null 2>&1) || true
    if [ ! -f "$fixture" ]; then
        fail "make_fixture wrote no image"
    elif [ -f "$instdir/bin/brindle-cli.exe" ]; then
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
        for _ in $(seq 1 60); do
            if xwininfo -root -tree 2>/dev/null | grep -q '"Norvale Firmware Customiser'; then
                shown=1
                break
            fi
            sleep 1
        done
        [ -n "$shown" ] && echo "fixture.quf opened: brindle.exe's window shown" \
            || fail "opening fixture.quf showed no brindle.exe window"
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi

    # Silent uninstall, as QuietUninstallString runs it: the uninstaller copies itself away and
    # removes everything.
    if [ -f "$instdir/Uninstall.exe" ]; then
        timeout 300 wine "$instdir/Uninstall.exe" /S >/dev/null 2>&1 || true
        wineserver -w
        for _ in $(seq 1 30); do
            [ -e "$instdir" ] || break
            sleep 1
        done
        if [ -e "$instdir" ]; then
            fail "uninstall left behind: $(cd "$instdir" && find . | head -20 | tr '\n' ' ')"
        fi
        left=$(find "$c_drive" -path '*Start Menu*' -iname '*Brindle*' 2>/dev/null | head -5)
        [ -z "$left" ] || fail "uninstall left Start-menu entries: $left"
        if wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindle' >/dev/null 2>&1; then
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
fi

step "picture of the first page"
picture=$build/first-page.png
rm -f "$picture"
(cd "$bin" && timeout 120 wine explorer /desktop=brindle-picture,800x600 screenshot_window.exe "$(winpath "$picture")" \
    >/dev/null 2>&1) || true
wineserver -w
if [ -s "$picture" ]; then
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
