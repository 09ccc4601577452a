#!/usr/bin/env bash
# Runs inside the clean root scripts/check-package.sh makes: installs the .deb, uses the program as a new
# user, purges the package and lists what is left of it.
set -euo pipefail
deb=$1
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8

# Every file of the root before the package, to tell afterwards what the package left.
snapshot() {
  find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /run -o -path /tmp -o -path /home \
    -o -path /var/cache -o -path /var/log -o -path /var/lib/apt -o -path /var/lib/dpkg \) -prune -o -print |
    sort
}
useradd --create-home teacher
snapshot >/tmp/before.txt

apt-get install -y --no-install-recommends "$deb" >/tmp/install.log || { cat /tmp/install.log; exit 1; }
echo "installed without Recommends: $(dpkg-query -W -f='${Version}' tessaly)"

desktop-file-validate /usr/share/applications/org.tessaly.Tessaly.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.tessaly.Tessaly.metainfo.xml
test -f /usr/share/icons/hicolor/scalable/apps/org.tessaly.Tessaly.svg
test -f /usr/share/icons/hicolor/48x48/apps/org.tessaly.Tessaly.png
test -L /etc/fonts/conf.d/65-tessaly-cjk-aliases.conf
face=$(fc-match 黑体)
echo "黑体 is $face"
case $face in *CJK* | *AR\ PL* | *WenQuanYi*) ;; *) echo "黑体 is no Chinese face"; exit 1 ;; esac

as_teacher() { runuser -u teacher -- env HOME=/home/teacher "$@"; }
as_teacher tessaly --version
as_teacher man -P cat tessaly | grep -q "tessaly generate"
cd /home/teacher
as_teacher tessaly generate --grade 3 --count 10 --target docx --output /home/teacher/sheet.docx
test -s /home/teacher/sheet.docx
cmp /usr/share/tessaly/tk.txt /home/teacher/.local/share/Tessaly/tk.txt
as_teacher tessaly export --grade 3 --output /home/teacher/grade3.csv
as_teacher tessaly check >/dev/null
# The download's module is installed and loads: a server that is not there is a failed page, in words,
# and the bank stays as it was.
if as_teacher tessaly download --server http://127.0.0.1:9 --yes >/tmp/download.txt 2>&1; then
  echo "a download from no server was reported done"
  exit 1
fi
cat /tmp/download.txt
! grep -q "下载模块" /tmp/download.txt
cmp /usr/share/tessaly/tk.txt /home/teacher/.local/share/Tessaly/tk.txt
# The UNO libraries are there (the package links them), LibreOffice is not: the teacher reads that, in
# words, not the office's internal text.
if as_teacher tessaly generate --grade 3 --count 5 --target libreoffice --headless \
    --output /home/teacher/sheet.pdf 2>/tmp/no-office.txt; then
  echo "a sheet for LibreOffice was reported made without LibreOffice"
  exit 1
fi
cat /tmp/no-office.txt
grep -q "没有安装 LibreOffice" /tmp/no-office.txt
! grep -q "unorc\|cppuhelper" /tmp/no-office.txt

# The menu's command opens the main window with its caption (without LibreOffice it saves sheets as
# .docx, and says so when asked for one).
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/org.tessaly.Tessaly.desktop | sed 's/ %[fFuU]//')
as_teacher xvfb-run -a sh -c "$exec_line & pid=\$!; for i in \$(seq 100); do
    xwininfo -root -tree | grep -q '\"Tessaly V' && { kill \$pid; wait \$pid; exit 0; }; sleep 0.2; done
    kill \$pid; exit 1"
echo "the window opened under Xvfb"
cd /

apt-get purge -y tessaly >/tmp/purge.log || { cat /tmp/purge.log; exit 1; }
if dpkg-query -W -f='${Status}\n' tessaly 2>/dev/null | grep -q installed; then
  echo "tessaly is still installed after the purge"
  exit 1
fi
# What the purge left: files that were not there before, other than the dependencies apt installed
# with the package (they stay until autoremove, like on any system).
apt-get autoremove --purge -y >/tmp/autoremove.log || { cat /tmp/autoremove.log; exit 1; }
snapshot >/tmp/after.txt
left=$(comm -13 /tmp/before.txt /tmp/after.txt)
if [[ -n $left ]]; then
  echo "left after purge and autoremove:"
  echo "$left"
  exit 1
fi
echo "purged: nothing of the package is left outside the user's home"
