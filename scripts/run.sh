#!/usr/bin/env bash
# Installs what the project needs, builds Tessaly, and writes a worksheet and its answer key from the
# bundled sample bank into out/. Where a display is available the main window opens afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
mkdir -p out
./build/release/bin/tessaly generate --grade 3 --seed "${SEED:-$RANDOM}" \
    --output out/worksheet.docx --answer-key out/answer-key.docx
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
    exec ./build/release/bin/tessaly
fi
