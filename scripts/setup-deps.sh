#!/usr/bin/env bash
# Installs what building, running and testing Brindle needs on Debian: on its own for Linux,
# with "windows" for the Windows cross-build and its suite under Wine, with "build" only what
# building and running the wizard needs (scripts/run.sh).
# As root it installs missing packages with apt-get; otherwise it names them and stops.
set -euo pipefail

linux_packages=(
    cmake ninja-build g++ pkgconf
    clang libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools
    libbenchmark-dev
    # the start-up benchmarks count instructions with callgrind
    valgrind
    xvfb xdotool xclip x11-utils
    dpkg-dev desktop-file-utils appstream
    fonts-dejavu-core
    # the screen-reader walk (tests/e2e/e2e_atspi.sh): the AT-SPI bus and registry, pyatspi
    at-spi2-core python3-pyatspi dbus-daemon
    # what Orca says (tests/e2e/e2e_orca.sh): Orca, a window manager, the speech server with its
    # dummy output, and libao, whose null driver stands in for a sound device
    orca openbox speech-dispatcher speech-dispatcher-audio-plugins libao4
    # the package test: the shared MIME database and GLib's lookup, as file managers use them
    shared-mime-info libglib2.0-bin libxml2-utils
    # the package test's judge and checks, and the manual pages' test
    lintian file binutils man-db groff-base
    # the completion test types names into each shell, in a terminal of tmux's; bash completes
    # through bash-completion, as Debian's bash does
    zsh fish bash-completion tmux
    # the save tests: ACLs and attributes, an ext4 image on a loop device, a FUSE pass-through,
    # signals injected at system calls, runs as another user
    acl attr e2fsprogs mount fuse3 libfuse3-dev strace util-linux
    # the Wayland test (tests/e2e/e2e_wayland.sh): a compositor with an X11 back end, Qt's plugin
    weston
    qt6-wayland
    # the format check
    clang-format
)

build_packages=(
    cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools
)

windows_packages=(
    cmake ninja-build xz-utils dpkg-dev
    qt6-base-dev qt6-base-dev-tools
    g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
    wine wine64 fonts-wine
    xvfb x11-utils
    nsis
)

case "${1:-linux}" in
    linux) packages=("${linux_packages[@]}") ;;
    windows) packages=("${windows_packages[@]}") ;;
    build) packages=("${build_packages[@]}") ;;
    *) echo "usage: $0 [linux|windows|build]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}" >&2
    echo "Install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
