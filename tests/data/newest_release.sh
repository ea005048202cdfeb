#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# newest_release.sh METAINFO VERSION: the first release listed must be VERSION,
# so a version bump cannot leave the software centre showing the old one.
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$1" | head -n 1)
if [ "$newest" != "$2" ]; then
  echo "newest release in $1 is '$newest', the project is $2"
  exit 1
fi
