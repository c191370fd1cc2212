#!/usr/bin/env bash
# Builds the Debian package from this build tree (no rebuild: the install rules of what is built),
# unpacks it into a scratch root and runs the programs from there, with nothing but their RPATH to
# find the project's libraries.
# Usage: deb_package.sh BUILD_DIR. Exit 77: dpkg-deb, dpkg-shlibdeps or cpack is not installed.
set -euo pipefail
build=$1
for tool in dpkg-deb dpkg-shlibdeps cpack; do
  command -v "$tool" >/dev/null || { echo "$tool not installed: skipped"; exit 77; }
done
fail() { echo "FAIL: $*" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# A private output folder: a parallel `make package` or another run never shares files with this one.
(cd "$build" && cpack -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; fail "cpack"; }
debs=("$tmp"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package in $tmp/out"
deb=${debs[0]}

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = brenvale ] || fail "Package: $(field Package)"
[ "$(field Section)" = electronics ] || fail "Section: $(field Section)"
[[ "$(field Recommends)" == *libreoffice-calc* ]] || fail "Recommends: $(field Recommends)"
# From the shared libraries: the C library and the USB library at least.
[[ "$(field Depends)" == *libc6* && "$(field Depends)" == *libftdi1* ]] || fail "Depends: $(field Depends)"

listing=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||')
for f in usr/bin/brenvale-cli usr/lib/libkestrin.so.0 usr/lib/libvandrel.so.0 usr/lib/libkestrinerr.so.0 \
         usr/include/kestrin/kestrin.h usr/include/vandrel/vandrel.h usr/share/doc/brenvale/index.html \
         usr/share/applications/brenvale.desktop usr/share/metainfo/brenvale.metainfo.xml \
         usr/share/mime/packages/brenvale.xml usr/share/icons/hicolor/scalable/apps/brenvale.svg \
         usr/share/icons/hicolor/48x48/apps/brenvale.png usr/share/man/man1/brenvale-cli.1 \
         usr/lib/udev/rules.d/60-brenvale.rules; do
  grep -qx "$f" <<<"$listing" || fail "$f is not in the package"
done

root=$tmp/root
dpkg -x "$deb" "$root"
cli=$root/usr/bin/brenvale-cli
# The libraries come from the unpacked root, not from the build tree nor the system.
unset LD_LIBRARY_PATH
libs=$(ldd "$cli")
for lib in libkestrin libvandrel libkestrinerr; do
  found=$(awk -v so="$lib.so.0" '$1 == so {print $3}' <<<"$libs")
  [ -n "$found" ] && [ "$(realpath "$found")" = "$(realpath "$root/usr/lib/$lib.so.0")" ] ||
    fail "$lib is not the package's: $libs"
done

version=$("$cli" --version)
echo "$version"
[[ "$(head -n1 <<<"$version")" =~ ^brenvale-cli\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "version: $version"
if [ -x "$root/usr/bin/brenvale" ]; then
  # The desktop program answers on a terminal with no display at all.
  gui=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/brenvale" --version)
  [ "$(tail -n1 <<<"$gui")" = "$(tail -n1 <<<"$version")" ] || fail "the programs disagree: $gui"
fi

"$cli" capture --simulate=demo --duration 1s -o "$tmp/a.dat" --policy overwrite >"$tmp/capture.log" 2>&1 ||
  { cat "$tmp/capture.log"; fail "capture"; }
"$cli" stats "$tmp/a.dat" >"$tmp/stats.txt"
[ -s "$tmp/stats.txt" ] || fail "no statistics"
echo "package: $(basename "$deb"), $(wc -l <<<"$listing") entries"
