#!/usr/bin/env bash
# Builds the XML parser's libFuzzer target with clang (AddressSanitizer and UBSan) into
# build/fuzz and runs it on fuzz/corpus/xml for the given number of seconds (default 60).
# Inputs it finds go to build/fuzz/corpus; a crashing input is saved as build/fuzz/crash-*
# and the script exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
out=build/fuzz
cxx=""
for candidate in clang++ clang++-14; do
  if command -v "${candidate}" >/dev/null 2>&1; then cxx=${candidate}; break; fi
done
if [ -z "${cxx}" ]; then
  echo "fuzz.sh: clang++ is needed to build the fuzzer" >&2
  exit 1
fi

mkdir -p "${out}/corpus"
"${cxx}" -std=c++17 -g -O1 -Wall -Wextra -Werror \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer \
  -Isrc fuzz/xml_fuzzer.cpp src/xml/*.cpp src/platform/TextConversion.cpp \
  -o "${out}/xml_fuzzer"

"${out}/xml_fuzzer" -max_total_time="${seconds}" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="${out}/" -print_final_stats=1 "${out}/corpus" fuzz/corpus/xml
