#!/usr/bin/env bash
# Installs a Tessaly .deb with apt, as a user would, and checks the installed program: the desktop
# entry and metadata are valid, the icon is in the theme, the sample bank makes a worksheet from a new
# user's folders, and the window opens from the desktop entry's command under a real X server. Then the
# package is removed again. Needs root (CI runs as root).
#   ./scripts/check-package.sh build/testing/tessaly_1.0.1_amd64.deb
set -euo pipefail
deb=$(realpath "$1")
export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold "$deb" >/dev/null
trap 'apt-get remove -y tessaly >/dev/null' EXIT

desktop-file-validate /usr/share/applications/org.tessaly.Tessaly.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.tessaly.Tessaly.metainfo.xml
test -f /usr/share/icons/hicolor/scalable/apps/org.tessaly.Tessaly.svg
test -f /usr/share/icons/hicolor/48x48/apps/org.tessaly.Tessaly.png
man -w tessaly >/dev/null
fc-match 黑体 | grep -q "Noto Sans CJK"

# A new user: nothing in the home folder yet.
home=$(mktemp -d)
export HOME=$home XDG_DATA_HOME=$home/.local/share XDG_CONFIG_HOME=$home/.config
cd "$home"
tessaly generate --grade 3 --count 10 --output "$home/sheet.docx"
test -s "$home/sheet.docx"
cmp /usr/share/tessaly/tk.txt "$home/.local/share/Tessaly/tk.txt"
test -f "$home/.local/share/Tessaly/history.sqlite"

# The menu's command opens the main window with its caption.
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/org.tessaly.Tessaly.desktop)
xvfb-run -a sh -c "$exec_line & pid=\$!; for i in \$(seq 50); do
    xwininfo -root -tree | grep -q '\"Tessaly V' && { kill \$pid; exit 0; }; sleep 0.2; done; kill \$pid; exit 1"
cd /
# The window ends the office it started for its warm-up as it closes; the office may take a moment to
# go, writing its profile in the home folder until then.
for i in $(seq 50); do pgrep -f "$home" >/dev/null || break; sleep 0.2; done
pkill -f "$home" || true
rm -rf "$home"
echo "package check passed: $(basename "$deb")"
