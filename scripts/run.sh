#!/usr/bin/env bash
# Builds the wizard with the default preset and starts it: on FILE when one is given, else on a
# synthetic demo image made by the project's own generator, so that there is something to try.
#   scripts/run.sh [FILE]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh build
cmake --preset default >/dev/null
# Only what this needs: the wizard, and the generator of the demo image.
cmake --build --preset default --target brindle make_fixture
if [ $# -gt 0 ]; then
    exec build/default/wizard/brindle "$@"
fi
# A made-up image of the right shape, not firmware: its name and its USB strings say so.
demo=$(mktemp -d "${TMPDIR:-/tmp}/brindle-demo.XXXXXX")/demo-not-for-flashing.ROM
build/default/tests/make_fixture "$demo" demo
echo "run.sh: opening the synthetic demo image $demo (made up, not firmware: never flash it or what is made from it)"
exec build/default/wizard/brindle "$demo"
