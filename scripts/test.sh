#!/usr/bin/env bash
# What CI runs (.ci/run): installs what the project needs, checks the formatting, builds the testing
# preset (assertions on) and runs the whole suite, installs into a staging folder and validates the
# desktop entry and metadata, builds the Debian package (lintian-clean) and tries it in a clean Debian
# root, runs clang-tidy, runs the suite
# again under the address and undefined-behaviour sanitizers, and gives each fuzz target a smoke run.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
step() { echo "== $1 ($((SECONDS - start)) s)"; }
./scripts/install-deps.sh
step "formatting"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
step "testing build and suite"
cmake --preset testing
cmake --build --preset testing
ctest --preset testing
step "install into a staging folder"
stage=$(mktemp -d)
cmake --install build/testing --prefix "$stage/usr"
desktop-file-validate "$stage/usr/share/applications/org.tessaly.Tessaly.desktop"
appstreamcli validate --no-net "$stage/usr/share/metainfo/org.tessaly.Tessaly.metainfo.xml"
rm -rf "$stage"
step "the Debian package: built, lintian, tried in a clean Debian root, purged"
./scripts/package.sh
./scripts/check-package.sh build/package/tessaly_*_amd64.deb
step "clang-tidy"
./scripts/tidy.sh build/testing
step "sanitizers build and suite"
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
step "fuzz smoke runs"
./scripts/fuzz.sh
step "all passed"
