#!/usr/bin/env bash
# Provides Qt Base 6.4.2 for 64-bit Windows (MinGW-w64, posix threads) for the cross-build, and
# prints the folder that holds it (its bin/, lib/, plugins/).
#
# Debian ships no Qt for MinGW. This script unpacks the prebuilt copy from
# $BRINDLE_QT_PREBUILT_DIR (default: ../shared/windows beside the work tree) when it is there and
# its SHA256SUMS matches; otherwise it builds the same thing from Debian's qt6-base source package.
# Either way the result is cached outside the work tree, in
#   ${BRINDLE_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/brindle}/qt6-mingw64-6.4.2/sdk
# and reused on the next run. Fetching the source leaves the machine's apt sources alone.
#
# Needs: g++-mingw-w64-x86-64-posix, mingw-w64-x86-64-dev, qt6-base-dev(-tools) (host tools),
# cmake, ninja, xz; for a source build also dpkg-dev (scripts/test-windows.sh installs them).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
qt_version=6.4.2
debian_version=6.4.2+dfsg-10
archive=qt6-base-${qt_version}-mingw-w64-x86_64-posix.tar.xz
prebuilt_dir=${BRINDLE_QT_PREBUILT_DIR:-$root/../shared/windows}
cache=${BRINDLE_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/brindle}/qt6-mingw64-${qt_version}
sdk=$cache/sdk
stamp=$cache/sdk.ok

say() { printf 'windows-qt: %s\n' "$*" >&2; }

if [ -f "$stamp" ] && [ -f "$sdk/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    echo "$sdk"
    exit 0
fi

mkdir -p "$cache"
rm -rf "$sdk" "$stamp"

prebuilt_ok() {
    [ -f "$prebuilt_dir/$archive" ] && [ -f "$prebuilt_dir/SHA256SUMS" ] || return 1
    local want have
    want=$(awk -v f="$archive" '$2 == f || $2 == "*" f { print $1 }' "$prebuilt_dir/SHA256SUMS")
    [ -n "$want" ] || return 1
    have=$(sha256sum "$prebuilt_dir/$archive" | cut -d' ' -f1)
    [ "$want" = "$have" ]
}

if prebuilt_ok; then
    say "unpacking the prebuilt copy from $prebuilt_dir"
    tar -xJf "$prebuilt_dir/$archive" -C "$cache"
else
    if [ -f "$prebuilt_dir/$archive" ]; then
        say "the prebuilt copy in $prebuilt_dir does not match its SHA256SUMS: building from source"
    else
        say "no prebuilt copy in $prebuilt_dir: building from source (about 50 minutes on 2 cores)"
    fi
    work=$cache/source
    rm -rf "$work"
    mkdir -p "$work/sources.list.d" "$work/lists/partial" "$work/archives/partial"

    # A private deb-src list and private package lists: apt reads them through these options only.
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
    cat >"$work/sources.list.d/qt6-base-src.sources" <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    apt_opts=(
        -o "Dir::Etc::SourceList=/dev/null"
        -o "Dir::Etc::SourceParts=$work/sources.list.d"
        -o "Dir::State::Lists=$work/lists"
        -o "Dir::Cache::Archives=$work/archives"
        -o "APT::Sandbox::User=root"
    )
    apt-get "${apt_opts[@]}" -qq update
    (cd "$work" && apt-get "${apt_opts[@]}" -qq source "qt6-base=$debian_version")
    src=$(find "$work" -maxdepth 1 -type d -name "qt6-base-*" | head -1)
    [ -n "$src" ] || { say "apt-get source gave no qt6-base folder"; exit 1; }

    # 6.4.2 compiles its dynamic-GL branch of the window code even with OpenGL off.
    sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(opengl) \&\& QT_CONFIG(dynamicgl)/' \
        "$src/src/plugins/platforms/windows/qwindowswindow.cpp"

    system_off=()
    for f in zlib pcre2 harfbuzz png jpeg freetype doubleconversion libb2 textmarkdownreader; do
        system_off+=("-DFEATURE_system_$f=OFF")
    done
    cmake -S "$src" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
        -DBRINDLE_QT_WINDOWS=/nonexistent \
        -DCMAKE_INSTALL_PREFIX="$sdk" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
        -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_tabletevent=OFF -DFEATURE_dbus=OFF \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
        -DFEATURE_xml=OFF -DFEATURE_icu=OFF -DFEATURE_vulkan=OFF -DFEATURE_jpeg=OFF \
        -DFEATURE_testlib=ON "${system_off[@]}" >&2
    nice -n 10 cmake --build "$work/build" -j "$(nproc 2>/dev/null || echo 2)" >&2
    cmake --install "$work/build" >&2
    rm -rf "$work"
fi

[ -f "$sdk/lib/cmake/Qt6/Qt6Config.cmake" ] || { say "no Qt6Config.cmake under $sdk"; exit 1; }
touch "$stamp"
echo "$sdk"
