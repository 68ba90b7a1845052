#!/usr/bin/env bash
# Builds Ostrel with its example, checks the example's configuration with ostrel-check,
# draws its wiring into docs/shop-wiring.svg and runs the example application with Info
# logging. On a fresh Debian machine, run as root: it installs whatever is missing
# (Graphviz too, for the drawing).
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=scripts/install-deps.sh
source scripts/install-deps.sh
ostrel_install_deps graphviz

cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOSTREL_BUILD_TESTS=OFF -DOSTREL_BUILD_BENCHMARKS=OFF -DOSTREL_BUILD_EXAMPLES=ON
cmake --build build/demo -j "$(nproc 2>/dev/null || echo 2)" --target shop_app ostrel-check
echo "== checking the example's configuration"
build/demo/bin/ostrel-check --register shop::IPaymentService --register shop::ICatalog \
  --register shop::ICheckout --graph=docs/shop-wiring.svg examples/config/shop.xml
echo "== running the example (log records go to standard error)"
NLOGC_LEVEL="${NLOGC_LEVEL:-info}" build/demo/bin/shop_app "$@"
