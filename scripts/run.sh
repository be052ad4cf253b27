#!/usr/bin/env bash
# Builds Brindle with the default preset and starts the wizard.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
exe=build/default/wizard/brindle
if [ ! -x "$exe" ]; then
    echo "Built everything; the wizard is not there yet." >&2
    exit 0
fi
exec "$exe" "$@"
