#!/usr/bin/env bash
# Builds each probe of tests/layers/CMakeLists.txt on its own: a header a library may include
# compiles, a header of a layer above it (or of a library it does not link) is not found.
#   layers.sh BUILD_DIR ROWS_FILE
set -euo pipefail
build_dir=$1
rows=$2
log=$(mktemp)
trap 'rm -f "$log"' EXIT
failures=0
count=0
while read -r probe library header may; do
    [ -n "$probe" ] || continue
    count=$((count + 1))
    if cmake --build "$build_dir" --target "$probe" >"$log" 2>&1; then
        if [ "$may" != yes ]; then
            echo "FAIL: $library reaches $header, a layer it must not see"
            failures=$((failures + 1))
        fi
    else
        # Refused for the right reason: the compiler did not find the header (GCC's words, or
        # Clang's), not some other error.
        if [ "$may" = yes ]; then
            echo "FAIL: $library cannot include $header, which its layer may:"
            cat "$log"
            failures=$((failures + 1))
        elif ! grep -qE -- "$header: No such file or directory|'$header' file not found" "$log"; then
            echo "FAIL: including $header in $library fails, but not because it is not found:"
            cat "$log"
            failures=$((failures + 1))
        fi
    fi
done <"$rows"
[ "$count" -gt 0 ] || { echo "FAIL: no rows in $rows"; exit 1; }
[ "$failures" -eq 0 ] || exit 1
echo "layers: $count includes, each compiles where its layer may and is not found where it may not"
