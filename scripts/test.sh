#!/usr/bin/env bash
# Builds Ostrel and runs its tests; on a fresh Debian machine, run as root: it installs
# whatever build dependency is missing.
#   scripts/test.sh          the default preset (RelWithDebInfo): configure, build, test
#   scripts/test.sh --full   then the asan preset (AddressSanitizer + UBSan), the tsan
#                            preset (ThreadSanitizer, concurrency tests) and both
#                            fuzzers for 60 seconds each, then the packages
#                            (scripts/package.sh: cpack from the release preset,
#                            lintian, the example built against the unpacked package),
#                            then the windows preset (a mingw-w64 cross build) with its
#                            tests and the example program under wine64
# Prints the time each stage took.
set -euo pipefail
cd "$(dirname "$0")/.."

presets=(default)
fuzz=0
package=0
windows=0
case "${1:-}" in
  "") ;;
  --full) presets=(default asan tsan); fuzz=1; package=1; windows=1 ;;
  *) echo "usage: scripts/test.sh [--full]" >&2; exit 2 ;;
esac

timings=()
# stage <name> <command...>: runs the command and records how long it took; the times
# so far are printed on exit, also when a stage fails.
stage() {
  local name=$1 start=${SECONDS} status=0 note=""
  shift
  echo "== ${name}"
  "$@" || status=$?
  [ "${status}" -eq 0 ] || note=" (failed)"
  timings+=("$(printf '%-20s %4d s%s' "${name}" $((SECONDS - start)) "${note}")")
  echo "== ${name}: $((SECONDS - start)) s"
  return "${status}"
}
trap 'echo "== time per stage:"; printf "   %s\n" "${timings[@]}"' EXIT

# shellcheck source=scripts/install-deps.sh
source scripts/install-deps.sh
stage "dependencies" ostrel_install_deps

# run_tests <preset>: ctest for one preset. LeakSanitizer's stop-the-world tracer now and
# then crashes at a test program's exit ("Tracer caught signal 11"), after the program
# passed; that is the tool failing, not a leak found. Tests that failed that way, and
# only when that is the sole failure signature, run once more.
run_tests() {
  local preset=$1 log status=0
  log="build/${preset}/ctest-output.log"
  ctest --preset "${preset}" -j "${jobs}" --output-log "${log}" || status=$?
  if [ "${status}" -ne 0 ] && grep -q "LeakSanitizer has encountered a fatal error" "${log}" \
      && ! grep -qE "^\[  FAILED  \]|ERROR: (AddressSanitizer|LeakSanitizer): |runtime error:" "${log}"; then
    echo "== ${preset}: LeakSanitizer's tracer crashed; running the failed tests once more"
    status=0
    ctest --preset "${preset}" --rerun-failed || status=$?
  fi
  return "${status}"
}

jobs=$(nproc 2>/dev/null || echo 2)
for preset in "${presets[@]}"; do
  stage "${preset} configure" cmake --preset "${preset}"
  stage "${preset} build" cmake --build --preset "${preset}" -j "${jobs}"
  stage "${preset} test" run_tests "${preset}"
done
if [ "${fuzz}" -eq 1 ]; then
  stage "fuzz" scripts/fuzz.sh 60 all
fi
if [ "${package}" -eq 1 ]; then
  stage "package" scripts/package.sh
fi
if [ "${windows}" -eq 1 ]; then
  stage "windows" scripts/test-windows.sh
fi

scripts/count-lines.sh
echo "== all tests passed"
