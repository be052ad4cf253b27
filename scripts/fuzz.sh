#!/usr/bin/env bash
# Fuzzes the firmware loader for SECONDS seconds (default 60) with the fuzz preset's build.
# Exits non-zero on a crash, a failed check or a sanitizer report; the input that caused it
# is kept under the build folder's fuzz-artifacts/.
#
#   scripts/fuzz.sh [SECONDS]        BRINDLE_FUZZ_BUILD=dir overrides build/fuzz
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "usage: scripts/fuzz.sh [SECONDS]" >&2
    exit 2
fi

build=${BRINDLE_FUZZ_BUILD:-build/fuzz}
fuzzer=$build/fuzz/fuzz_load
seeder=$build/fuzz/fuzz_seeds
if [ ! -x "$fuzzer" ] || [ ! -x "$seeder" ]; then
    echo "fuzz targets missing; build them first: cmake --preset fuzz && cmake --build --preset fuzz" >&2
    exit 2
fi

# Every input writes several 64 KiB files: keep them in memory when the machine allows.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/brindle-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
artifacts=$build/fuzz-artifacts
mkdir -p "$work/corpus" "$artifacts"

"$seeder" "$work/seeds"

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="halt_on_error=1:abort_on_error=1:print_stacktrace=1:${UBSAN_OPTIONS:-}"

# New inputs go to the first folder; the seeds are read from the second.
# The fuzzer's progress goes to a log; only its last lines are shown, or all of it on failure.
status=0
log=$build/fuzz-last.log
"$fuzzer" -max_total_time="$seconds" -max_len=66560 -timeout=20 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 \
    "$work/corpus" "$work/seeds" >"$log" 2>&1 || status=$?

if [ $status -ne 0 ]; then
    cat "$log" >&2
    echo "fuzz_load failed (exit $status); reproduce with: $fuzzer $artifacts/<crash file>" >&2
    exit 1
fi
grep -E '^stat::(number_of_executed_units|peak_rss_mb)|^Done ' "$log" || true
echo "fuzz_load: no crash in ${seconds} s"
