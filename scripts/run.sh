#!/usr/bin/env bash
# Builds Brindle with the default preset and starts the wizard.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec build/default/wizard/brindle "$@"
