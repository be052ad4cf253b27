#!/usr/bin/env bash
# Where the programs look for shared libraries. In the build tree no run path entry may be empty
# or relative (the dynamic loader reads those against the current folder, and would load a
# library planted there); an entry that remains must be an absolute folder that exists. Installed,
# the programs carry no run path at all: Qt comes from the system's own library folders.
#   runpath.sh BUILD_DIR
set -euo pipefail
build_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

command -v readelf >/dev/null || { echo "SKIP: readelf is not installed (binutils)"; exit 77; }

# The RPATH and RUNPATH strings of an ELF file, one per line ("" for an empty one).
run_paths() {
    readelf -d "$1" | sed -nE 's/.*\((RPATH|RUNPATH)\).*\[(.*)\]$/\2/p'
}

# Every program the build made: the two that are installed, the tests, tools and benchmarks.
mapfile -t programs < <(find "$build_dir" -name CMakeFiles -prune -o -type f -perm -u+x -print | sort)
checked=0
for program in "${programs[@]}"; do
    [ "$(head -c 4 "$program" | od -An -c | tr -d ' ')" = '177ELF' ] || continue
    checked=$((checked + 1))
    while IFS= read -r path; do
        echo "$program: run path [$path]"
        # Split on ':' keeping empty fields, including a leading or trailing one.
        IFS=: read -r -a entries <<<"$path:"
        for entry in "${entries[@]}"; do
            case "$entry" in
            "") fail "$(basename "$program") has an empty run path entry (the current folder): [$path]" ;;
            /*) [ -d "$entry" ] || fail "$(basename "$program") has a run path entry that is no folder: $entry" ;;
            *) fail "$(basename "$program") has a relative run path entry: $entry" ;;
            esac
        done
    done < <(run_paths "$program")
done

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
for program in brindle brindle-cli; do
    installed="$work/prefix/bin/$program"
    [ -f "$installed" ] || fail "the installation has no bin/$program"
    found=$(run_paths "$installed")
    [ -z "$found" ] || fail "installed $program carries a run path: [$found]"
    # It still finds everything it needs.
    ldd "$installed" | grep -q 'not found' && fail "installed $program lacks a library: $(ldd "$installed" | grep 'not found')"
done
[ "$checked" -ge 2 ] || fail "found $checked programs in $build_dir"
echo "run paths: $checked programs in the build tree, 2 installed: none empty, relative or needless"
