#!/usr/bin/env bash
# Tries a built Tessaly .deb the way a school's machine gets it: in a clean Debian 12 root made with
# mmdebstrap from Debian's mirror (the packages apt already fetched are reused, linked where the folders
# share a file system), installed with apt
# without Recommends. There, as a new user, it checks the desktop entry and metadata, the icon, the
# manual page, that 黑体 is a Chinese face, that the sample bank makes a worksheet, and that the window
# opens from the desktop entry's command under Xvfb. Then it purges the package and lists what is left of
# it, failing if anything is. Needs root (CI runs as root).
#   ./scripts/check-package.sh build/package/tessaly_1.0.1_amd64.deb
set -euo pipefail
deb=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(mktemp -d /tmp/tessaly-root.XXXXXX)
trap 'rm -rf "$root"' EXIT

mirror="deb http://deb.debian.org/debian bookworm main
deb http://deb.debian.org/debian bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main"
# What the check itself uses; none of it is Tessaly's dependency.
tools=xvfb,xauth,x11-utils,man-db,desktop-file-utils,appstream,fontconfig,procps

mmdebstrap --variant=apt --include="$tools" \
  --setup-hook='mkdir -p "$1/var/cache/apt/archives" && find /var/cache/apt/archives -maxdepth 1 -name "*.deb" -exec cp -l -t "$1/var/cache/apt/archives" {} + 2>/dev/null || find /var/cache/apt/archives -maxdepth 1 -name "*.deb" -exec cp -t "$1/var/cache/apt/archives" {} +' \
  --customize-hook="copy-in $deb /tmp" \
  --customize-hook="copy-in $here/package-inside.sh /tmp" \
  --customize-hook='chroot "$1" bash /tmp/package-inside.sh /tmp/'"$(basename "$deb")" \
  --skip=cleanup/apt/cache \
  bookworm "$root" "$mirror"
echo "package check passed: $(basename "$deb")"
