#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# install_layout_test.sh CMAKE BUILD_DIR: installs the build into a fresh prefix
# with cmake --install and checks what landed there.
set -eu
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$1" --install "$2" --prefix "$prefix" >/dev/null
"$(dirname "$0")/check_installed.sh" "$prefix"
