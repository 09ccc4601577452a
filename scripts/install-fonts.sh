#!/usr/bin/env bash
# Maps the Chinese font names that worksheets use (黑体, 宋体, 楷体 and their Latin names)
# to installed CJK faces of the same style, so screen and PDF show the style the user chose.
set -euo pipefail
conf=/etc/fonts/conf.d/65-tessaly-cjk-aliases.conf
tmp=$(mktemp)
cat >"$tmp" <<'XML'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <alias binding="same"><family>黑体</family><prefer><family>Noto Sans CJK SC</family></prefer></alias>
  <alias binding="same"><family>SimHei</family><prefer><family>Noto Sans CJK SC</family></prefer></alias>
  <alias binding="same"><family>宋体</family><prefer><family>Noto Serif CJK SC</family></prefer></alias>
  <alias binding="same"><family>SimSun</family><prefer><family>Noto Serif CJK SC</family></prefer></alias>
  <alias binding="same"><family>楷体</family><prefer><family>AR PL UKai CN</family></prefer></alias>
  <alias binding="same"><family>KaiTi</family><prefer><family>AR PL UKai CN</family></prefer></alias>
</fontconfig>
XML
if ! cmp -s "$tmp" "$conf" 2>/dev/null; then
  install -m 0644 "$tmp" "$conf"
  fc-cache -f >/dev/null 2>&1 || true
fi
rm -f "$tmp"
