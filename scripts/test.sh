#!/usr/bin/env bash
# Builds and runs the whole test suite: a check of the code's format, the default preset's
# tests, the same tests under AddressSanitizer and UndefinedBehaviorSanitizer, and a bounded
# fuzz run of the loader.
# Exits non-zero if anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${BRINDLE_FUZZ_SECONDS:-60}
status=0
passed=0
failed=0

step() { printf '\n==== %s\n' "$*"; }

# Runs one preset's tests and adds its counts to the totals.
run_ctest() {
    local preset=$1 log
    log=$(mktemp)
    local rc=0
    ctest --preset "$preset" -j "$jobs" 2>&1 | tee "$log" || rc=1
    local line total bad
    line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [ -n "$line" ]; then
        bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
        total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
        passed=$((passed + total - bad))
        failed=$((failed + bad))
    else
        failed=$((failed + 1))
    fi
    rm -f "$log"
    return $rc
}

step "format"
if scripts/check-format.sh; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
    status=1
fi

step "default build"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
step "default tests"
run_ctest default || status=1

step "asan build"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
step "asan tests"
run_ctest asan || status=1

step "fuzz build"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
step "fuzz run (${fuzz_seconds} s)"
if scripts/fuzz.sh "$fuzz_seconds"; then
    passed=$((passed + 1))
else
    echo "fuzz run failed" >&2
    failed=$((failed + 1))
    status=1
fi

if [ $status -eq 0 ]; then
    step "all tests passed"
else
    step "FAILURES above"
fi
echo "brindle: $passed passed, $failed failed"
exit $status
