#!/usr/bin/env bash
# Builds and runs the whole test suite: the default preset's tests, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a bounded fuzz run of the loader.
# Exits non-zero if anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${BRINDLE_FUZZ_SECONDS:-60}
status=0

step() { printf '\n==== %s\n' "$*"; }

step "default build"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
step "default tests"
ctest --preset default -j "$jobs" || status=1

step "asan build"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
step "asan tests"
ctest --preset asan -j "$jobs" || status=1

step "fuzz build"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
step "fuzz run (${fuzz_seconds} s)"
if ! scripts/fuzz.sh "$fuzz_seconds"; then
    echo "fuzz run failed" >&2
    status=1
fi

if [ $status -eq 0 ]; then
    step "all tests passed"
else
    step "FAILURES above"
fi
exit $status
