#!/usr/bin/env bash
# Validates one of the desktop integration files with its standard tool, then checks that the
# entry, the capture file type and the metainfo name each other the same way.
# Usage: validate.sh desktop|metainfo|mime|udev PACKAGING_DIR. Exit 77: the tool is not installed.
set -euo pipefail
kind=$1 dir=$2

need() { command -v "$1" >/dev/null || { echo "$1 not installed: skipped"; exit 77; }; }
# The value of a "Key=" line of the main group of the desktop entry (not of its actions).
entry() { sed -n "/^\[Desktop Entry\]/,/^\[Desktop Action/ s/^$1=//p" "$dir/brenvale.desktop"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

mime_type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$dir/brenvale-mime.xml")
[ -n "$mime_type" ] || fail "no mime-type in brenvale-mime.xml"

case $kind in
  desktop)
    need desktop-file-validate
    out=$(desktop-file-validate "$dir/brenvale.desktop" 2>&1) || fail "$out"
    # Hints are not failures, but a clean entry has none.
    [ -z "$out" ] || fail "$out"
    [ "$(entry MimeType)" = "$mime_type;" ] || fail "MimeType=$(entry MimeType), the file type is $mime_type"
    [[ "$(entry Exec)" == "brenvale %f" ]] || fail "Exec=$(entry Exec): the program takes one capture"
    [ "$(entry Icon)" = brenvale ] || fail "Icon=$(entry Icon) is not the installed icon's name"
    ;;
  metainfo)
    need appstreamcli
    appstreamcli validate --no-net "$dir/brenvale.metainfo.xml"
    grep -q '<launchable type="desktop-id">brenvale.desktop</launchable>' "$dir/brenvale.metainfo.xml" ||
      fail "the metainfo does not launch brenvale.desktop"
    grep -q "<mediatype>$mime_type</mediatype>" "$dir/brenvale.metainfo.xml" ||
      fail "the metainfo does not provide $mime_type"
    ;;
  mime)
    need xmllint
    xmllint --noout "$dir/brenvale-mime.xml"
    grep -q '<glob pattern="\*\.dat"/>' "$dir/brenvale-mime.xml" || fail "captures (*.dat) are not matched"
    # The database tool builds a private cache from the package file: it rejects what desktops would.
    if command -v update-mime-database >/dev/null; then
      tmp=$(mktemp -d)
      trap 'rm -rf "$tmp"' EXIT
      mkdir -p "$tmp/mime/packages"
      cp "$dir/brenvale-mime.xml" "$tmp/mime/packages/brenvale.xml"
      out=$(XDG_DATA_HOME=$tmp update-mime-database "$tmp/mime" 2>&1) || fail "$out"
      [ -z "$out" ] || fail "$out"
      grep -q "^$mime_type:\*\.dat$" "$tmp/mime/globs" || fail "no glob for $mime_type in the built database"
    fi
    ;;
  udev)
    # udevadm verify came with systemd 253.
    need udevadm
    udevadm verify --help >/dev/null 2>&1 || { echo "udevadm verify not available: skipped"; exit 77; }
    udevadm verify "$dir/60-brenvale.rules"
    ;;
  *)
    echo "usage: $0 desktop|metainfo|mime|udev PACKAGING_DIR" >&2
    exit 2
    ;;
esac
echo "$kind: valid"
