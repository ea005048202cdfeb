#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check_installed.sh PREFIX: checks an installed Parcelbarge below PREFIX the way
# a desktop and a user meet it, and starts both programs from there.
set -u
prefix=$1
here=$(cd "$(dirname "$0")" && pwd)
id=org.example.parcelbarge.Parcelbarge
share=$prefix/share
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Skipped validators (77) are reported by run_validator.sh and not counted.
validate() {
  "$here/run_validator.sh" "$@"
  local status=$?
  [ "$status" -eq 0 ] || [ "$status" -eq 77 ] || fail "$*"
}

png_size() {
  local b
  read -r -a b < <(od -An -tu1 -j16 -N8 "$1")
  echo "$(((b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3]))x$(((b[4] << 24) | (b[5] << 16) | (b[6] << 8) | b[7]))"
}

cli=$prefix/bin/parcelbarge-cli
if [ -x "$cli" ]; then
  help=$("$cli" --help) || fail "parcelbarge-cli --help ended with status $?"
  [[ $help == Aufruf:* ]] || fail "parcelbarge-cli --help printed: $help"
  version=$("$cli" --version) || fail "parcelbarge-cli --version ended with status $?"
  [[ $version == "parcelbarge-cli "[0-9]* ]] || fail "parcelbarge-cli --version printed: $version"
else
  fail "$cli is not an executable"
fi

window=$prefix/bin/parcelbarge
if [ -x "$window" ]; then
  # The program finds its help document beside the file it runs from.
  appdir=$(dirname "$(readlink -f "$window")")
  [ -f "$appdir/Hilfe.htm" ] || fail "Hilfe.htm is not beside the window program in $appdir"
  # The window stays up until it is closed: still running after a few seconds
  # (the timeout's 124) is the expected outcome.
  QT_QPA_PLATFORM=offscreen timeout 5 "$window" </dev/null
  status=$?
  [ "$status" -eq 124 ] || fail "the window program ended by itself with status $status"
else
  fail "$window is not an executable"
fi

desktop=$share/applications/$id.desktop
if [ -f "$desktop" ]; then
  validate desktop-file-validate "$desktop"
  exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  [ -x "$prefix/bin/$exec_program" ] || fail "the menu entry starts '$exec_program', which is not in $prefix/bin"
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  for size in 16 32 48; do
    png=$share/icons/hicolor/${size}x${size}/apps/$icon.png
    if [ -f "$png" ]; then
      [ "$(png_size "$png")" = "${size}x${size}" ] || fail "$png is $(png_size "$png") pixels"
    else
      fail "the menu entry's icon $png is missing"
    fi
  done
  [ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "the scalable icon $icon.svg is missing"
else
  fail "$desktop is missing"
fi

metainfo=$share/metainfo/$id.metainfo.xml
if [ -f "$metainfo" ]; then
  validate appstreamcli validate --no-net "$metainfo"
else
  fail "$metainfo is missing"
fi

for page in parcelbarge parcelbarge-cli; do
  file=$share/man/man1/$page.1.gz
  if [ -f "$file" ]; then
    zcat "$file" | grep -q "^\.TH ${page^^} 1 " || fail "$file is not the man page of $page"
  else
    fail "$file is missing"
  fi
done

file=$share/man/de/man1/parcelbarge-cli.1.gz
[ -f "$file" ] || fail "$file is missing"

if [ "$failures" -ne 0 ]; then
  echo "$failures problem(s) in the installation below $prefix"
  exit 1
fi
echo "installation below $prefix is complete"
