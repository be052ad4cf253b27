#!/usr/bin/env bash
# The Windows build, made and tested on Linux: cross-builds everything with MinGW-w64 against Qt
# for Windows (scripts/windows-qt.sh), runs every Qt Test suite as a Windows program under Wine on
# Xvfb, builds the installer and the portable zip, installs, runs and uninstalls the installer
# silently under Wine, and takes the picture of the first page (build/windows/first-page.png;
# --update-picture copies it to docs/). Exits non-zero if anything fails.
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

packages=(
    cmake ninja-build xz-utils dpkg-dev
    qt6-base-dev qt6-base-dev-tools
    g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
    wine wine64 fonts-wine
    xvfb x11-utils
    nsis
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]}" >&2
        echo "Install them with: sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

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
installer=$(ls "$build"/brindle-*-win64.exe 2>/dev/null | head -1 || true)
zip=$(ls "$build"/brindle-*-win64.zip 2>/dev/null | head -1 || true)
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

# The files every installation must hold, relative to the installation folder.
expected_files=(
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

step "silent install, use and uninstall under Wine"
if [ -n "$installer" ]; then
    c_drive=$WINEPREFIX/drive_c
    # Where the installer puts it unless told otherwise.
    instdir="$c_drive/Program Files/Brindle"
    timeout 300 wine "$installer" /S >/dev/null 2>&1 || true
    wineserver -w
    for f in "${expected_files[@]}"; do
        [ -f "$instdir/$f" ] || fail "install: $f missing"
    done
    [ -f "$instdir/Uninstall.exe" ] || fail "install: no uninstaller"
    shortcut=$(find "$c_drive" -path '*Start Menu*' -iname 'Brindle.lnk' 2>/dev/null | head -1)
    [ -n "$shortcut" ] || fail "install: no Start-menu entry"
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindle' >/dev/null 2>&1 \
        || fail "install: no entry in the installed programs"

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

    # The installed wizard shows its window (bare on the X display, so the window is X's own).
    if [ -f "$instdir/bin/brindle.exe" ]; then
        (cd "$scratch" && wine "$instdir/bin/brindle.exe" >/dev/null 2>&1 &)
        shown=
        for _ in $(seq 1 60); do
            if xwininfo -root -tree 2>/dev/null | grep -q '"Norvale Firmware Customiser'; then
                shown=1
                break
            fi
            sleep 1
        done
        [ -n "$shown" ] && echo "installed brindle.exe: window shown" || fail "installed brindle.exe showed no window"
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi

    # Silent uninstall: the uninstaller copies itself away and removes everything.
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
        if wine reg query 'HKLM\Software\The Brindle developers\Brindle' >/dev/null 2>&1; then
            fail "uninstall left its settings key"
        fi
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
