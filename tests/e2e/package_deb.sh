#!/usr/bin/env bash
# Builds the .deb with CPack under umask 002 (as a packager whose group may write) and under 022,
# with one SOURCE_DATE_EPOCH: the two are the same bytes. Unpacks it into a scratch root and checks
# that its modes are Debian's, that what a desktop
# needs is in its standard place and valid, that a file manager finds the wizard for firmware
# files through the shared MIME database, and that the packaged programs run.
#   package_deb.sh BUILD_DIR MAKE_FIXTURE
set -euo pipefail
# Everything below, lintian included, as a packager whose group may write.
umask 002
build_dir=$1
make_fixture=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

command -v dpkg-deb >/dev/null || { echo "SKIP: dpkg-deb is not installed"; exit 77; }
export SOURCE_DATE_EPOCH=1765000000
(cd "$work" && cpack -G DEB --config "$build_dir/CPackConfig.cmake" >cpack.log 2>&1) \
    || { cat "$work/cpack.log"; fail "cpack failed"; }
mkdir "$work/umask022"
(cd "$work/umask022" && umask 022 && cpack -G DEB --config "$build_dir/CPackConfig.cmake" >cpack.log 2>&1) \
    || { cat "$work/umask022/cpack.log"; fail "cpack failed under umask 022"; }
for package in "$work"/brindle_*.deb "$work"/brindle-dbgsym_*.ddeb; do
    cmp -s "$package" "$work/umask022/$(basename "$package")" \
        || fail "$(basename "$package") differs between umask 002 and 022 with one SOURCE_DATE_EPOCH"
done
deb=$(ls "$work"/brindle_*.deb 2>/dev/null | head -1)
dbgsym=$(ls "$work"/brindle-dbgsym_*.ddeb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "cpack made no brindle package"
[ -n "$dbgsym" ] || fail "cpack made no brindle-dbgsym package"
# Folders 0755, programs 0755, every other file 0644, whatever the umask (the debugging
# symbols' package is read through a copy named .deb, as dpkg-deb wants).
cp "$dbgsym" "$work/dbgsym.deb"
for package in "$deb" "$work/dbgsym.deb"; do
    odd=$(dpkg-deb -c "$package" | awk '
        $1 ~ /^d/ && $1 != "drwxr-xr-x" { print }
        $1 ~ /^-/ && $1 != "-rw-r--r--" && !($1 == "-rwxr-xr-x" && $6 ~ /^\.\/usr\/bin\//) { print }')
    [ -z "$odd" ] || fail "$(basename "$package") built under umask 002 holds entries of other modes:"$'\n'"$odd"
done
dpkg-deb -x "$deb" "$work/root"
dpkg-deb -f "$deb" Package Version Depends Recommends
[ "$(dpkg-deb -f "$deb" Recommends)" = "qt6-wayland" ] || fail "the package does not recommend qt6-wayland"

# Debian's judgement: lintian --pedantic finds no error and no warning, and none of its
# hardening notes (BIND_NOW, stack protector, FORTIFY_SOURCE) either.
if command -v lintian >/dev/null; then
    lintian --pedantic --info --tag-display-limit 0 "$deb" "$work/dbgsym.deb" >"$work/lintian.log" 2>"$work/lintian.err" || true
    grep -E '^[EW]: |^I: [^ ]+ hardening-' "$work/lintian.log" && fail "lintian: $(wc -l <"$work/lintian.log") findings"
    grep -vE 'running with root privileges|^$' "$work/lintian.err" && fail "lintian could not check the packages"
    echo "lintian --pedantic: no errors, no warnings$( [ -s "$work/lintian.log" ] && printf ' (notes: %s)' "$(tr '\n' ';' <"$work/lintian.log")")"
else
    fail "lintian is not installed (scripts/setup-deps.sh installs it)"
fi

# The programs are stripped; their debugging information is in brindle-dbgsym, by build id.
dpkg-deb -x "$dbgsym" "$work/dbgsym"
for program in brindle brindle-cli; do
    file -L "$work/root/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
    id=$(readelf -n "$work/root/usr/bin/$program" | sed -n 's/^ *Build ID: //p')
    [ -f "$work/dbgsym/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" ] || fail "brindle-dbgsym lacks $program's symbols"
    readelf -d "$work/root/usr/bin/$program" | grep -E '\((RPATH|RUNPATH)\)' \
        && fail "$program carries a run path: Debian's Qt is found without one"
    readelf -d "$work/root/usr/bin/$program" | grep -q 'BIND_NOW' || fail "$program is linked without BIND_NOW"
done

root="$work/root/usr"
for f in bin/brindle bin/brindle-cli share/applications/example.norvale.brindle.desktop \
         share/doc/brindle/copyright share/doc/brindle/changelog.Debian.gz \
         share/man/man1/brindle.1.gz share/man/man1/brindle-cli.1.gz \
         share/bash-completion/completions/brindle-cli share/zsh/vendor-completions/_brindle-cli \
         share/fish/vendor_completions.d/brindle-cli.fish \
         share/metainfo/example.norvale.brindle.metainfo.xml \
         share/mime/packages/example.norvale.brindle.xml \
         share/icons/hicolor/16x16/apps/brindle.png \
         share/icons/hicolor/32x32/apps/brindle.png share/icons/hicolor/256x256/apps/brindle.png \
         share/icons/hicolor/scalable/apps/brindle.svg; do
    [ -e "$root/$f" ] || fail "the package has no /usr/$f"
done
desktop-file-validate "$root/share/applications/example.norvale.brindle.desktop" || fail "invalid desktop entry"
appstreamcli validate --no-net --pedantic "$root/share/metainfo/example.norvale.brindle.metainfo.xml" >"$work/as.log" 2>&1 \
    || { cat "$work/as.log"; fail "invalid AppStream metainfo"; }

# The MIME types: well-formed, taken by update-mime-database without a complaint, and what GLib
# (the file managers' lookup) answers for real files, by name and by content.
xmllint --noout "$root/share/mime/packages/example.norvale.brindle.xml" || fail "the MIME XML is not well-formed"
data="$work/data"
mkdir -p "$data"
cp -r "$root/share/mime" "$root/share/applications" "$data/"
XDG_DATA_HOME="$data" update-mime-database "$data/mime" >"$work/mime.log" 2>&1 || { cat "$work/mime.log"; fail "update-mime-database failed"; }
[ -s "$work/mime.log" ] && { cat "$work/mime.log"; fail "update-mime-database complained"; }
update-desktop-database "$data/applications" || fail "update-desktop-database failed"
lookup() { XDG_DATA_HOME="$data" XDG_DATA_DIRS=/usr/share PATH="$root/bin:$PATH" "$@"; }
files="$work/files"
mkdir -p "$files"
"$make_fixture" "$files/fw.QUF" quf
"$make_fixture" "$files/fw.ROM" rom
"$make_fixture" "$files/fw.bld" bld
"$make_fixture" "$files/upgrade-without-extension" quf
"$make_fixture" "$files/image-without-extension" rom
head -c 65536 /dev/zero >"$files/other.ROM"  # a ROM of some other program: not claimed by its name
while read -r name expected; do
    got=$(lookup gio info -a standard::content-type "$files/$name" | sed -n 's/^ *standard::content-type: //p')
    [ "$got" = "$expected" ] || fail "the shared MIME database calls $name $got, not $expected"
done <<'LIST'
fw.QUF application/x-norvale-upgrade
upgrade-without-extension application/x-norvale-upgrade
fw.ROM application/x-norvale-image
fw.bld application/x-norvale-image
image-without-extension application/x-norvale-image
other.ROM application/octet-stream
LIST
for type in application/x-norvale-upgrade application/x-norvale-image; do
    apps=$(lookup gio mime "$type")
    grep -q "^Default application for .*: example.norvale.brindle.desktop$" <<<"$apps" \
        || fail "Brindle does not open $type: $apps"
done

version=$(dpkg-deb -f "$deb" Version)
version=${version%-*}
"$root/bin/brindle-cli" --version | grep -qF "$version" || fail "brindle-cli --version does not say $version"
"$root/bin/brindle" --version | grep -qF "$version" || fail "brindle --version does not say $version"
# The wizard starts and stays up until it is closed.
set +e
QT_QPA_PLATFORM=offscreen timeout 3 "$root/bin/brindle" >"$work/run.log" 2>&1
rc=$?
set -e
[ $rc -eq 124 ] || { cat "$work/run.log"; fail "brindle ended on its own (exit $rc)"; }
grep -qi "error" "$work/run.log" && { cat "$work/run.log"; fail "brindle reported an error"; }
echo "package: $(basename "$deb") installs its files in the standard places and runs"
