#!/usr/bin/env bash
# What a software centre and Debian show of Brindle, as installed: the AppStream metainfo
# validates (appstreamcli --pedantic) with its screenshots, developer, bug tracker, display and
# input, and release notes; and every version and date in the metainfo, the Debian changelog and
# the manual pages is the project's version and the release date of resources/releases.txt.
#   metainfo.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in appstreamcli xmllint; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup-deps.sh installs it)"; exit 77; }
done

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
share="$work/prefix/share"
metainfo="$share/metainfo/example.norvale.brindle.metainfo.xml"
[ -f "$metainfo" ] || fail "the installation has no share/metainfo/example.norvale.brindle.metainfo.xml"

# Valid, pedantically. Two notes stay: the id's domain is an example one, and AppStream 0.16
# (Debian 12) does not know <developer> yet, which 1.0 reads in place of <developer_name>.
appstreamcli validate --no-net --pedantic "$metainfo" >"$work/validate.log" 2>&1 \
    || { cat "$work/validate.log"; fail "appstreamcli refuses the metainfo"; }
findings=$(grep -E '^[EWI]: ' "$work/validate.log" | grep -vE '^I: [^ ]+ cid-maybe-not-rdns |^I: [^ ]+ unknown-tag developer$' || true)
[ -z "$findings" ] || fail "appstreamcli finds:"$'\n'"$findings"

xpath() { xmllint --xpath "$1" "$metainfo" 2>/dev/null || true; }
[ "$(xpath 'string(/component/developer/name)')" = "The Brindle developers" ] || fail "no <developer>"
[ "$(xpath 'string(/component/developer_name)')" = "The Brindle developers" ] || fail "no <developer_name>"
[[ $(xpath 'string(/component/url[@type="bugtracker"])') == https://* ]] || fail "no bug tracker URL"
[[ $(xpath 'string(/component/url[@type="homepage"])') == https://* ]] || fail "no homepage URL"
[ -n "$(xpath 'string(/component/requires/display_length)')" ] || fail "no display the wizard requires"
[ "$(xpath 'count(/component/supports/control)')" = 2 ] || fail "no input it supports"
# The screenshots are the README's pictures, at their size, the first the default.
count=$(xpath 'count(/component/screenshots/screenshot)')
[ "$count" -ge 3 ] || fail "only $count screenshots"
[ "$(xpath 'count(/component/screenshots/screenshot[@type="default"])')" = 1 ] || fail "not one default screenshot"
for ((i = 1; i <= count; i++)); do
    shot="/component/screenshots/screenshot[$i]"
    url=$(xpath "string($shot/image)")
    picture="$source_dir/docs/$(basename "$url")"
    [ -f "$picture" ] || fail "screenshot $url is none of the README's pictures"
    grep -qF "($(basename "$url" | sed 's/^/docs\//'))" "$source_dir/README.md" || fail "the README does not show $(basename "$url")"
    size=$(file -b "$picture" | grep -oE '[0-9]+ x [0-9]+')
    [ "$(xpath "string($shot/image/@width)") x $(xpath "string($shot/image/@height)")" = "$size" ] \
        || fail "screenshot $url is not given at its size $size"
    [ -n "$(xpath "string($shot/caption)")" ] || fail "screenshot $url has no caption"
done

# One version and one date everywhere.
version=$("$work/prefix/bin/brindle-cli" --version | sed -nE 's/^brindle-cli ([0-9.]+),.*/\1/p')
[ -n "$version" ] || fail "brindle-cli --version names no version"
read -r newest date < <(grep -E '^[0-9]+(\.[0-9]+)+ [0-9-]+$' "$source_dir/resources/releases.txt" | head -1)
[ "$newest" = "$version" ] || fail "resources/releases.txt begins with $newest, the programs are $version"
[ "$(xpath 'string(/component/releases/release[1]/@version)')" = "$version" ] || fail "the metainfo's release is not $version"
[ "$(xpath 'string(/component/releases/release[1]/@date)')" = "$date" ] || fail "the metainfo's release date is not $date"
notes=$(grep -c '^- ' <(sed -n "/^$newest /,/^[0-9]/p" "$source_dir/resources/releases.txt"))
[ "$(xpath 'count(/component/releases/release[1]/description/ul/li)')" = "$notes" ] \
    || fail "the metainfo's release does not hold the $notes notes of resources/releases.txt"
for page in brindle brindle-cli; do
    th=$(zcat "$share/man/man1/$page.1.gz" | grep '^\.TH ')
    [[ $th == *"\"$date\" \"Brindle $version\""* ]] || fail "$page(1) is dated otherwise: $th"
done
changelog="$share/doc/brindle/changelog.Debian.gz"
[ "$(zcat "$changelog" | head -1)" = "brindle ($version-1) unstable; urgency=medium" ] \
    || fail "the changelog begins: $(zcat "$changelog" | head -1)"
trailer=$(zcat "$changelog" | grep -m1 '^ -- ')
[ "${trailer##*>  }" = "$(LC_ALL=C date -u -d "$date 12:00" -R)" ] || fail "the changelog is dated \"${trailer##*>  }\", not $date"
[ "$(zcat "$changelog" | grep -c '^  \* ')" -ge "$notes" ] || fail "the changelog lacks the notes"
if command -v dpkg-parsechangelog >/dev/null; then
    zcat "$changelog" >"$work/changelog"
    [ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version-1" ] || fail "dpkg cannot read the changelog"
fi
echo "metainfo: valid with $count screenshots; version $version and date $date alike in the metainfo, changelog and manual pages"
