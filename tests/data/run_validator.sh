#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# run_validator.sh TOOL ARGS...: runs TOOL ARGS and fails on an error or a
# warning; exits 77 (skipped) when TOOL is not installed.
tool=$1
if ! command -v "$tool" >/dev/null 2>&1; then
  echo "skipped: $tool is not installed"
  exit 77
fi
output=$("$@" 2>&1)
status=$?
[ -z "$output" ] || printf '%s\n' "$output"
[ "$status" -eq 0 ] || exit 1
# Warnings and hints count: a desktop acts on them, e.g. by showing an entry
# without a main category only in a catch-all menu section.
if printf '%s\n' "$output" | grep -Eq '^W: |(warning|hint):'; then
  exit 1
fi
