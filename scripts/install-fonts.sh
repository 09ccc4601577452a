#!/usr/bin/env bash
# For a program run from its build folder: puts the fontconfig aliases of the worksheets' Chinese font
# names (packaging/65-tessaly-cjk-aliases.conf, which the package installs itself) into /etc/fonts.
set -euo pipefail
cd "$(dirname "$0")/.."
conf=/etc/fonts/conf.d/65-tessaly-cjk-aliases.conf
if ! cmp -s packaging/65-tessaly-cjk-aliases.conf "$conf" 2>/dev/null; then
  install -m 0644 packaging/65-tessaly-cjk-aliases.conf "$conf"
  fc-cache -f >/dev/null 2>&1 || true
fi
