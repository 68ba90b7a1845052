#!/usr/bin/env bash
# Builds Ostrel with its example and runs the example application with Info logging.
# On a fresh Debian machine, run as root: it installs whatever is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=scripts/install-deps.sh
source scripts/install-deps.sh
ostrel_install_deps

cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOSTREL_BUILD_TESTS=OFF -DOSTREL_BUILD_BENCHMARKS=OFF -DOSTREL_BUILD_EXAMPLES=ON
cmake --build build/demo -j "$(nproc 2>/dev/null || echo 2)" --target shop_app
echo "== running the example (log records go to standard error)"
NLOGC_LEVEL="${NLOGC_LEVEL:-info}" build/demo/bin/shop_app "$@"
