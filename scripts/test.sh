#!/usr/bin/env bash
# Builds Ostrel and runs the whole test suite twice: the default preset (RelWithDebInfo)
# and the asan preset (AddressSanitizer + UndefinedBehaviorSanitizer). On a fresh Debian
# machine, run as root: it installs whatever build dependency is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=scripts/install-deps.sh
source scripts/install-deps.sh
ostrel_install_deps

jobs=$(nproc 2>/dev/null || echo 2)
for preset in default asan; do
  echo "== ${preset}: configure, build, test"
  cmake --preset "${preset}"
  cmake --build --preset "${preset}" -j "${jobs}"
  ctest --preset "${preset}" -j "${jobs}"
done

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzzing the XML parser for 60 seconds"
  scripts/fuzz.sh 60
fi
echo "== all tests passed"
