#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package and checks it: lintian finds no error and no
# warning, the AppStream metadata and the desktop entry validate, and the
# programs carry Debian's hardening flags. Then installs it with apt into a
# fresh Debian 12 root that leaves out documentation as minimal systems do,
# and checks that the installed programs work there: veldraplot-render saves
# the pie example as PNG and TIFF, and the viewer, started through its
# /usr/bin link, shows a host's chart and, as the menu entry starts it, the
# bundled example under Xvfb.
#   tests/package/run.sh [build-folder]
# Needs root (mmdebstrap, chroot, mounts); leaves no root or mount behind.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
tools=(mmdebstrap dpkg-dev file appstream lintian desktop-file-utils devscripts)
[ "$(dpkg-query -W -f='${Status}\n' "${tools[@]}" 2>/dev/null | grep -c "ok installed")" = ${#tools[@]} ] ||
  { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${tools[@]}" >/dev/null; }

echo "== building the package"
cmake --build "$build" -j2 >/dev/null
rm -f "$build"/veldraplot_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/veldraplot_*_amd64.deb)
dpkg-deb -f "$deb" Package Version Depends
meta=$(mktemp -d)
R=$(mktemp -d /tmp/veldraplot-package.XXXXXX)
cleanup() {
  for m in proc sys dev; do umount -R "$R/$m" 2>/dev/null || umount -lR "$R/$m" 2>/dev/null || true; done
  rm -rf --one-file-system "$R" "$meta"
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$meta"

echo "== lintian"
# Information tags are shown too (the hardening tags are among them, checked
# below); errors and warnings fail.
lintian --info --display-info --tag-display-limit 0 --fail-on error,warning "$deb" 2>&1 |
  { grep -v "running with root privileges" || true; }

echo "== AppStream and the desktop entry"
appstreamcli validate --pedantic --no-net "$meta"/usr/share/metainfo/*.metainfo.xml
# desktop-file-validate ends with 0 after hints and warnings: any output fails.
said=$(desktop-file-validate "$meta"/usr/share/applications/*.desktop 2>&1) && [ -z "$said" ] &&
  echo "desktop entry: valid" || { echo "desktop-file-validate: $said"; exit 1; }

echo "== hardening flags"
# PIE, stack protector, fortified functions, relro and immediate binding;
# control-flow protection is not among Debian 12's flags.
hardening-check --nocfprotection "$meta"/usr/lib/veldraplot/*
# Format-string checks leave no mark in the programs: every compile command
# of the build must have them, and the other compiler flags too.
for flag in -fstack-protector-strong -Wformat -Werror=format-security -D_FORTIFY_SOURCE=2; do
  [ "$(grep -c -- "\"command\":.* $flag " "$build/compile_commands.json")" = "$(grep -c '"command":' "$build/compile_commands.json")" ] || { echo "a compile command lacks $flag"; exit 1; }
done

echo "== making a fresh Debian 12 root"
src=$(ls /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1)
mmdebstrap --variant=apt --aptopt='Acquire::Check-Valid-Until "false"' \
  --aptopt='Acquire::Check-Date "false"' bookworm "$R" ${src:+"$src"} >/dev/null 2>&1
cp /etc/apt/apt.conf.d/99* "$R/etc/apt/apt.conf.d/" 2>/dev/null || true
cp /etc/resolv.conf "$R/etc/resolv.conf"
# As Debian's slim images do: no documentation but the copyright files.
printf '%s\n' 'path-exclude=/usr/share/doc/*' 'path-include=/usr/share/doc/*/copyright' \
  >"$R/etc/dpkg/dpkg.cfg.d/no-docs"
mount -t proc proc "$R/proc"
for m in sys dev; do mount --rbind "/$m" "$R/$m" && mount --make-rslave "$R/$m"; done
cp "$deb" "$R/tmp/"
in_root() {
  chroot "$R" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive /bin/bash -c "$1"
}
# No recommended packages: the Depends line alone must make it work.
in_root "cd /tmp && apt-get update -qq && apt-get install -y -qq --no-install-recommends ./$(basename "$deb") >/dev/null"

for f in doc/veldraplot/copyright bash-completion/completions/veldraplot-render \
  bash-completion/completions/veldraplot zsh/vendor-completions/_veldraplot; do
  [ -f "$R/usr/share/$f" ] || { echo "no $f installed"; exit 1; }
done

echo "== rendering the pie example with the installed veldraplot-render"
ex=/usr/share/veldraplot/examples
in_root "veldraplot-render --folder $ex/pie -o /tmp/pie.png $ex/settings.ini && veldraplot-render --folder $ex/pie -o /tmp/pie.tif $ex/settings.ini"
file -b "$R/tmp/pie.png" | grep "^PNG image data, 1280 x 864"
file -b "$R/tmp/pie.tif" | grep "^TIFF image data"
# A blank picture of this size packs into about 1 KB; the pie takes about 30.
[ "$(stat -c %s "$R/tmp/pie.png")" -gt 10000 ] || { echo "the PNG holds no chart"; exit 1; }

echo "== starting the installed viewer on the bar example under Xvfb"
# The viewer reads ~VGRAPH.TMP beside its real executable, behind the link.
in_root "apt-get install -y -qq --no-install-recommends xvfb xauth >/dev/null && \
  cp '$ex/bar/~VGRAPH.TMP' /usr/lib/veldraplot/ && \
  VELDRAPLOT_EXIT_AFTER_FIRST_PAINT=1 timeout 60 xvfb-run -a veldraplot $ex/settings.ini"

# The command of the desktop entry, which must open the bundled example: with
# no example, or on the host's way, it would wait on a message until the timeout.
exec_line=$(sed -n 's/^Exec=//p' "$R/usr/share/applications/org.veldraplot.veldraplot.desktop")
echo "== starting the installed viewer as the menu entry does: $exec_line"
in_root "rm /usr/lib/veldraplot/~VGRAPH.TMP && \
  VELDRAPLOT_EXIT_AFTER_FIRST_PAINT=1 timeout 60 xvfb-run -a $exec_line"
echo "package test passed"
