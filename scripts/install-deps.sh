#!/usr/bin/env bash
# Installs every Debian 12 package Tessaly needs to build, run and test.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build ccache pkg-config clang-format
  # Qt 6: core, widgets, network, test, and the form compiler
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  # the sheet history: Qt SQL's SQLite driver; a school's shared history on PostgreSQL (the server for
  # its tests, started in a temporary folder)
  libqt6sql6-sqlite libqt6sql6-psql postgresql
  # the QR code printed on a sheet, and reading it back from a photo or scan
  libqrencode-dev libzxing-dev
  # the sources tools/make_pinyin_data.py makes data/pinyin.txt and data/char-frequency.txt from (the
  # pinyin test makes them again and compares)
  rime-data-pinyin-simp rime-data-terra-pinyin rime-essay unicode-data
  # the class report's chart
  qt6-charts-dev libqt6opengl6-dev
  # Qt's own Chinese texts (Yes/No, context menus)
  qt6-translations-l10n
  # a real X server and its tools for the tests that need one (window titles, the tray)
  xvfb x11-utils
  # a private D-Bus message bus for the test of desktop notifications
  dbus-daemon
  # checks of the installed desktop entry and AppStream metadata
  appstream desktop-file-utils
  # the Debian package: its build (debhelper, dpkg-shlibdeps), its check (lintian), a clean Debian root
  # to try it in (mmdebstrap), and man for the manual's check
  dpkg-dev debhelper devscripts lintian mmdebstrap file man-db
  # .docx output
  libzip-dev zipcmp
  # the CSV import of questions
  libcsv-dev
  # exact rational arithmetic for the check of worked answers
  libgmp-dev
  # LibreOffice: Writer (with its X11 window, so worksheets show on a desktop) and the UNO SDK for C++
  libreoffice-writer libreoffice-dev libreoffice-dev-common
  # Calc: its import filters read the spreadsheets teachers import banks from (.xlsx, .xls, .ods)
  libreoffice-calc
  # Chinese faces for the fontconfig aliases (hei, song, kai)
  fonts-noto-cjk fonts-arphic-ukai fontconfig
  # rendering and comparing documents in tests and benchmarks
  poppler-utils python3-docx
  # a real static web server for the download test
  nginx-light
  # the anchors the speed benchmark measures the program against
  zip unzip sqlite3
)

# Root installs directly (CI); anyone else through sudo.
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)

need=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done

if ((${#need[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}"
fi

here=$(cd "$(dirname "$0")" && pwd)
"${sudo[@]}" "$here/install-fonts.sh"
