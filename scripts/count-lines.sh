#!/usr/bin/env bash
# Prints the non-blank, non-comment lines of the library's code (src, include, tamarack,
# nlogc) and of its tests (tests), and how large the tests are against the code.
set -euo pipefail
cd "$(dirname "$0")/.."

# lines <dir>...: C++ lines that are neither blank nor a "//" comment alone.
lines() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat |
    sed -e 's#^[[:space:]]*//.*$##' | grep -cv '^[[:space:]]*$'
}

code=$(lines src include tamarack nlogc)
tests=$(lines tests)
printf 'library code %6d lines\ntests        %6d lines (%d%% of the code)\n' \
  "${code}" "${tests}" $((tests * 100 / code))
