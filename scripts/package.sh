#!/usr/bin/env bash
# Builds the Debian package: build/package/tessaly_<version>_amd64.deb.
#   ./scripts/package.sh            then   sudo apt install ./build/package/tessaly_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset package
cmake --build --preset package
(cd build/package && cpack -G DEB)
ls build/package/tessaly_*.deb
