#!/usr/bin/env bash
# Installs what the project needs, builds the testing preset and runs the whole test suite, then the
# same suite under the address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
# Every source as the project's .clang-format has it.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
cmake --preset testing
cmake --build --preset testing
ctest --preset testing
# The install: desktop entry and AppStream metadata valid, in a staging folder.
stage=$(mktemp -d)
cmake --install build/testing --prefix "$stage/usr"
desktop-file-validate "$stage/usr/share/applications/org.tessaly.Tessaly.desktop"
appstreamcli validate --no-net "$stage/usr/share/metainfo/org.tessaly.Tessaly.metainfo.xml"
rm -rf "$stage"
# The .deb of that build, installed with apt and tried as a user would (then removed).
(cd build/testing && cpack -G DEB)
./scripts/check-package.sh build/testing/tessaly_*.deb
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
