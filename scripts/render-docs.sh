#!/usr/bin/env bash
# Renders every wizard step and the About box to docs/*.png for the README. Run it again
# whenever a page changes, and check the pictures in.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target render_pages
QT_QPA_PLATFORM=offscreen build/default/tools/render_pages docs /tmp/brindle-docs/firmware
