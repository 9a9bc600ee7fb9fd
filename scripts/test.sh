#!/usr/bin/env bash
# Configures (preset `dev`: warnings are errors), builds and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev
ctest --preset dev -j"$(nproc)"
