#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the real drag test on a virtual X display.
# Usage: xvfb_drag.sh <window_drag_test> <drag_source>
set -u
for tool in xvfb-run xdotool; do
  if ! command -v $tool >/dev/null 2>&1; then
    echo "$tool is missing: skipping the real drag under Xvfb"
    exit 77
  fi
done
# Its own range of display numbers, apart from the other test under Xvfb.
PB_DRAG_SOURCE=$2 QT_QPA_PLATFORM=xcb exec xvfb-run -a -n 170 -s "-screen 0 1024x768x24" "$1"
