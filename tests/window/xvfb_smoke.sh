#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real window program on a virtual X display, takes a screenshot,
# checks that its window class is the one its desktop entry names, and closes
# it again. Usage: xvfb_smoke.sh <parcelbarge> <screenshot.png> <desktop file>
set -u
program=$1
shot=$2
wm_class=$(sed -n 's/^StartupWMClass=//p' "$3")

if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "xvfb-run is missing: skipping the run under Xvfb"
  exit 77
fi
if ! command -v import >/dev/null 2>&1; then
  echo "import (ImageMagick) is missing: skipping the run under Xvfb"
  exit 77
fi

# Everything inside one X session: start, wait for the window, shoot, close.
xvfb-run -a -s "-screen 0 800x600x24" sh -c '
  program=$1 shot=$2 wm_class=$3
  QT_QPA_PLATFORM=xcb "$program" &
  pid=$!
  tries=0
  shown() {
    if command -v xwininfo >/dev/null 2>&1; then
      xwininfo -root -tree 2>/dev/null | grep -q "\"Parcelbarge\""
    else
      [ $tries -ge 30 ]  # no way to ask the X server: give the window three seconds
    fi
  }
  until shown; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ] || ! kill -0 $pid 2>/dev/null; then
      echo "the window did not appear"
      kill $pid 2>/dev/null
      exit 1
    fi
    sleep 0.1
  done
  import -window root "$shot" || { kill $pid; exit 1; }
  if command -v xprop >/dev/null 2>&1; then
    id=$(xwininfo -root -tree | sed -n "s/^ *\(0x[0-9a-f]*\) \"Parcelbarge\".*/\1/p" | head -n 1)
    classes=$(xprop -id "$id" WM_CLASS)
    case $classes in
      *\"$wm_class\"*) ;;
      *) echo "window class $classes, the desktop entry names \"$wm_class\""; kill $pid; exit 1 ;;
    esac
  fi
  # Before a run the program ends on a plain request to close.
  kill -TERM $pid
  wait $pid
  status=$?
  # 143: ended by the signal, as asked.
  [ $status -eq 0 ] || [ $status -eq 143 ] || { echo "exit status $status"; exit 1; }
' smoke "$program" "$shot" "$wm_class" || exit 1

test -s "$shot" || { echo "no screenshot written"; exit 1; }
echo "screenshot: $shot"
