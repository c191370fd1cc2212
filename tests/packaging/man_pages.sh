#!/usr/bin/env bash
# The generated man pages format without a warning and carry every subcommand of brenvale-cli.
# Usage: man_pages.sh PAGE... Exit 77: groff is not installed.
set -euo pipefail
command -v groff >/dev/null || { echo "groff not installed: skipped"; exit 77; }
for page in "$@"; do
  [ -s "$page" ] || { echo "FAIL: $page is missing or empty" >&2; exit 1; }
  warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
  [ -z "$warnings" ] || { echo "FAIL: $page: $warnings" >&2; exit 1; }
  text=$(groff -man -Tutf8 -P-cbou "$page" 2>/dev/null)
  grep -q '^NAME' <<<"$text" || { echo "FAIL: $page has no NAME section" >&2; exit 1; }
  case $(basename "$page") in
    brenvale-cli.1)
      # A page cut short by a failed subcommand would lose the later ones: the last is checked too.
      for sub in decode info capture repair; do
        grep -q "^   $sub\$" <<<"$text" || { echo "FAIL: $page lacks the $sub subcommand" >&2; exit 1; }
      done
      ;;
  esac
done
echo "man pages: valid"
