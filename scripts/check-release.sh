#!/usr/bin/env bash
# Builds the programs as users and packagers do (preset `release`), makes the Debian
# package and checks it with lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release
(cd build-release && cpack -G DEB >/dev/null)
deb=$(ls build-release/vantorq_*_amd64.deb)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n '/Depends:/p'
# Errors fail the check; warnings are shown.
lintian --fail-on error --no-tag-display-limit "$deb"
