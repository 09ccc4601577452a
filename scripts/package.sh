#!/usr/bin/env bash
# Builds the Debian source and binary packages with dpkg-buildpackage (debian/: hardened with
# dpkg-buildflags) and checks them with lintian: no error, no warning. The results land in build/package/.
#   ./scripts/package.sh            then   sudo apt install ./build/package/tessaly_*_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
version=$(dpkg-parsechangelog -S Version)
out=build/package
rm -rf "$out" && mkdir -p "$out"
# debhelper gives the build a home folder of its own; ccache keeps the user's cache all the same.
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}
export DEB_BUILD_OPTIONS="parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}"
dpkg-buildpackage -us -uc
# dpkg-buildpackage writes beside the source folder, as Debian's tools expect.
mv ../tessaly_"$version".dsc ../tessaly_"$version".tar.* ../tessaly_"$version"_* ../tessaly-dbgsym_"$version"_* "$out"/
lintian --fail-on error,warning --display-info "$out"/tessaly_"$version"_*.changes
ls "$out"/tessaly_"$version"_*.deb
