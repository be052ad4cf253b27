#!/usr/bin/env bash
# Builds the .deb with CPack, unpacks it into a scratch root and checks that what a desktop
# needs is in its standard place and valid, and that the packaged programs run.
#   package_deb.sh BUILD_DIR
set -euo pipefail
build_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

command -v dpkg-deb >/dev/null || { echo "SKIP: dpkg-deb is not installed"; exit 77; }
(cd "$work" && cpack -G DEB --config "$build_dir/CPackConfig.cmake" >cpack.log 2>&1) \
    || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/*.deb)
dpkg-deb -x "$deb" "$work/root"
dpkg-deb -f "$deb" Package Version Depends

root="$work/root/usr"
for f in bin/brindle bin/brindle-cli share/applications/brindle.desktop \
         share/metainfo/example.norvale.brindle.metainfo.xml \
         share/icons/hicolor/32x32/apps/brindle.png share/icons/hicolor/256x256/apps/brindle.png \
         share/icons/hicolor/scalable/apps/brindle.svg; do
    [ -e "$root/$f" ] || fail "the package has no /usr/$f"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/share/applications/brindle.desktop" || fail "invalid desktop entry"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic "$root/share/metainfo/example.norvale.brindle.metainfo.xml" >"$work/as.log" 2>&1 \
        || { cat "$work/as.log"; fail "invalid AppStream metainfo"; }
fi

version=$(dpkg-deb -f "$deb" Version)
"$root/bin/brindle-cli" --version | grep -qF "$version" || fail "brindle-cli --version does not say $version"
# The wizard starts and stays up until it is closed.
set +e
QT_QPA_PLATFORM=offscreen timeout 3 "$root/bin/brindle" >"$work/run.log" 2>&1
rc=$?
set -e
[ $rc -eq 124 ] || { cat "$work/run.log"; fail "brindle ended on its own (exit $rc)"; }
grep -qi "error" "$work/run.log" && { cat "$work/run.log"; fail "brindle reported an error"; }
echo "package: $(basename "$deb") installs its files in the standard places and runs"
