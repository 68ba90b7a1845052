#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (fuzz preset: AddressSanitizer and UBSan) into
# build/fuzz and runs each for the given number of seconds (default 60):
#   scripts/fuzz.sh [seconds] [xml|loader|all]
# xml: the XML parser, seeded from fuzz/corpus/xml; loader: configurations loaded into a
# container, seeded from fuzz/corpus/loader. New inputs go to build/fuzz/corpus/<name>;
# a crashing or slow input is saved as build/fuzz/artifacts/<name>/crash-* (or
# timeout-*, oom-*, leak-*) and the script exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
which=${2:-all}
case "${which}" in
  xml | loader) names=("${which}") ;;
  all) names=(xml loader) ;;
  *) echo "usage: scripts/fuzz.sh [seconds] [xml|loader|all]" >&2; exit 2 ;;
esac
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz.sh: clang++ is needed to build the fuzzers" >&2
  exit 1
fi

targets=()
for name in "${names[@]}"; do targets+=("${name}_fuzzer"); done
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2 --target "${targets[@]}"

out=build/fuzz
for name in "${names[@]}"; do
  echo "== fuzzing ${name} for ${seconds} seconds"
  mkdir -p "${out}/corpus/${name}" "${out}/artifacts/${name}"
  # Bounds per input: 10 s, 2 GB, 64 KiB of text.
  "${out}/bin/${name}_fuzzer" -max_total_time="${seconds}" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -artifact_prefix="${out}/artifacts/${name}/" -print_final_stats=1 \
    "${out}/corpus/${name}" "fuzz/corpus/${name}"
done
