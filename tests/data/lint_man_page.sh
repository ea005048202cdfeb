#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# lint_man_page.sh PAGE: fails when formatting the page gives any warning;
# exits 77 (skipped) when man is not installed.
if ! command -v man >/dev/null 2>&1; then
  echo "skipped: man is not installed"
  exit 77
fi
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$1" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
  printf '%s\n' "$warnings"
  exit 1
fi
