#!/usr/bin/env bash
# Builds the packages from the release preset (cpack: a Debian package and a tarball)
# and tries them as a user would: lintian finds no error in the Debian package; unpacked
# into a scratch root (dpkg -x, no root rights needed), the example builds against it
# through find_package and through pkg-config and runs, and ostrel-check checks the
# example's configuration; the example builds through pkg-config against the unpacked
# tarball too. The packages are left in build/release/packages.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=scripts/install-deps.sh
source scripts/install-deps.sh
ostrel_install_deps lintian doxygen dpkg-dev

# Any Doxygen warning (an undocumented public member, a broken reference) fails the docs
# target here, so the API reference stays complete.
cmake --preset release -DOSTREL_DOCS_WARNINGS_AS_ERRORS=ON
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)"
cmake --build --preset release --target docs  # the packages carry the API reference
rm -rf build/release/packages
cpack --preset release
deb=$(echo build/release/packages/ostrel_*.deb)
tarball=$(echo build/release/packages/ostrel-*.tar.gz)

echo "== lintian ${deb}"
lintian --fail-on error "${deb}"

scratch=${PWD}/build/release/try
rm -rf "${scratch}"
mkdir -p "${scratch}/root" "${scratch}/tarball"
dpkg -x "${deb}" "${scratch}/root"
tar -xzf "${tarball}" -C "${scratch}/tarball" --strip-components=1

# consume <step> <prefix>: builds and runs the example against the package at <prefix>.
consume() {
  echo "== example through $1 against ${2#"${PWD}"/}"
  local out
  out=$(cmake -DSTEP="$1" -DPREFIX="$2" -DLIBDIR=lib -DEXAMPLE_DIR="${PWD}/examples" \
              -DWORK_DIR="${scratch}/$1-$(basename "$2")" -DCXX="${CXX:-c++}" \
              -P tests/consumer/ConsumerTest.cmake 2>&1)
  grep -q "Checkout: card payment of 21.45" <<<"${out}" || { echo "${out}"; return 1; }
}
consume find_package "${scratch}/root/usr"
consume pkg-config "${scratch}/root/usr"
consume pkg-config "${scratch}/tarball"

echo "== ostrel-check from the package on the installed example"
example=${scratch}/find_package-usr/installed/lib/ostrel-example
"${scratch}/root/usr/bin/ostrel-check" \
  --register shop::IPaymentService --register shop::ICatalog --register shop::ICheckout \
  "${example}/shop.xml"
echo "== packages: ${deb} ${tarball}"
