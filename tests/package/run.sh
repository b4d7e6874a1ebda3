#!/usr/bin/env bash
# Builds the Debian package, installs it with apt into a fresh Debian 12 root
# and checks that the installed programs work there: veldraplot-render saves
# the pie example as PNG and TIFF, and the viewer, started through its
# /usr/bin link, shows the example under Xvfb.
#   tests/package/run.sh [build-folder]
# Needs root (mmdebstrap, chroot, mounts); leaves no root or mount behind.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
tools=(mmdebstrap dpkg-dev file appstream)
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
appstreamcli validate --no-net "$meta"/usr/share/metainfo/*.metainfo.xml

echo "== making a fresh Debian 12 root"
src=$(ls /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1)
mmdebstrap --variant=apt --aptopt='Acquire::Check-Valid-Until "false"' \
  --aptopt='Acquire::Check-Date "false"' bookworm "$R" ${src:+"$src"} >/dev/null 2>&1
cp /etc/apt/apt.conf.d/99* "$R/etc/apt/apt.conf.d/" 2>/dev/null || true
cp /etc/resolv.conf "$R/etc/resolv.conf"
mount -t proc proc "$R/proc"
for m in sys dev; do mount --rbind "/$m" "$R/$m" && mount --make-rslave "$R/$m"; done
cp "$deb" "$R/tmp/"
in_root() {
  chroot "$R" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive /bin/bash -c "$1"
}
# No recommended packages: the Depends line alone must make it work.
in_root "cd /tmp && apt-get update -qq && apt-get install -y -qq --no-install-recommends ./$(basename "$deb") >/dev/null"

echo "== rendering the pie example with the installed veldraplot-render"
ex=/usr/share/doc/veldraplot/examples
in_root "veldraplot-render --folder $ex/pie -o /tmp/pie.png $ex/settings.ini && veldraplot-render --folder $ex/pie -o /tmp/pie.tif $ex/settings.ini"
file -b "$R/tmp/pie.png" | grep "^PNG image data, 1280 x 864"
file -b "$R/tmp/pie.tif" | grep "^TIFF image data"
# A blank picture of this size packs into about 1 KB; the pie takes about 30.
[ "$(stat -c %s "$R/tmp/pie.png")" -gt 10000 ] || { echo "the PNG holds no chart"; exit 1; }

echo "== starting the installed viewer on the pie example under Xvfb"
# The viewer reads ~VGRAPH.TMP beside its real executable, behind the link.
in_root "apt-get install -y -qq --no-install-recommends xvfb xauth >/dev/null && \
  cp '$ex/pie/~VGRAPH.TMP' /usr/lib/veldraplot/ && \
  VELDRAPLOT_EXIT_AFTER_FIRST_PAINT=1 timeout 60 xvfb-run -a veldraplot $ex/settings.ini"
echo "package test passed"
