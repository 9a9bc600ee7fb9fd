#!/usr/bin/env bash
# The core and command-line tests under AddressSanitizer and UndefinedBehaviorSanitizer
# (preset `asan`, without the desktop program).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan -j"$(nproc)"
