#!/usr/bin/env bash
# Measures how many seeded faults the test suite catches. Each fault of
# scripts/mutants.txt is applied alone to a copy of the sources, which is built and
# tested; a fault is caught when any test fails (or the suite crashes or hangs).
#   scripts/mutants.sh [--check] [--only PATTERN] [LIST]
#     --check         only verify that every fault applies to the current sources
#     --only PATTERN  run the faults whose name contains PATTERN
# Work happens in build/mutants (never in the working tree); each fault's failing tests
# are written to build/mutants/results.txt. Needs what scripts/test.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

check=0
only=""
list=scripts/mutants.txt
while [ $# -gt 0 ]; do
  case "$1" in
    --check) check=1 ;;
    --only) only=$2; shift ;;
    -*) echo "usage: scripts/mutants.sh [--check] [--only PATTERN] [LIST]" >&2; exit 2 ;;
    *) list=$1 ;;
  esac
  shift
done

names=() files=() olds=() news=()
newline=$'\n'
while IFS= read -r line || [ -n "${line}" ]; do
  case "${line}" in
    "== "*) names+=("${line#== }") ;;
    "@ "*) files+=("${line#@ }") ;;
    "- "*) line=${line#- }; olds+=("${line//\{NL\}/${newline}}") ;;
    "+ "*) line=${line#+ }; news+=("${line//\{NL\}/${newline}}") ;;
  esac
done < "${list}"
count=${#names[@]}
if [ "${#files[@]}" -ne "${count}" ] || [ "${#olds[@]}" -ne "${count}" ] ||
   [ "${#news[@]}" -ne "${count}" ]; then
  echo "mutants: ${list} has an incomplete block" >&2
  exit 2
fi

# occurrences <text> <pattern>: how often pattern occurs in text.
occurrences() {
  local rest=$1 n=0
  while [[ "${rest}" == *"$2"* ]]; do
    rest=${rest#*"$2"}
    n=$((n + 1))
  done
  echo "${n}"
}

bad=0
for ((i = 0; i < count; ++i)); do
  text=$(cat "${files[i]}")
  n=$(occurrences "${text}" "${olds[i]}")
  if [ "${n}" -ne 1 ]; then
    echo "mutants: '${names[i]}': the text occurs ${n} times in ${files[i]}" >&2
    bad=1
  fi
done
[ "${bad}" -eq 0 ] || exit 2
if [ "${check}" -eq 1 ]; then
  echo "${count} faults apply"
  exit 0
fi

work=${root}/build/mutants
copy=${work}/src
mkdir -p "${copy}"
# A copy of the tracked sources; a file is copied only when it differs, so the build
# stays incremental between runs.
while IFS= read -r -d '' file; do
  if ! cmp -s "${file}" "${copy}/${file}"; then
    mkdir -p "${copy}/$(dirname "${file}")"
    cp "${file}" "${copy}/${file}"
  fi
done < <(git ls-files -z)
generator=()
command -v ninja > /dev/null && generator=(-G Ninja)
cmake -S "${copy}" -B "${work}/build" "${generator[@]}" -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_CXX_FLAGS=-O1 -DOSTREL_BUILD_TESTS=ON -DOSTREL_BUILD_BENCHMARKS=OFF \
  -DOSTREL_BUILD_EXAMPLES=ON -DOSTREL_TEST_TIMEOUT=120 > /dev/null
jobs=$(nproc 2>/dev/null || echo 2)
echo "== building the unchanged sources"
cmake --build "${work}/build" -j "${jobs}" > "${work}/build.log" 2>&1 ||
  { tail -30 "${work}/build.log"; exit 1; }
if ! ctest --test-dir "${work}/build" -j "${jobs}" > "${work}/test.log" 2>&1; then
  tail -30 "${work}/test.log"
  echo "mutants: the unchanged sources fail their tests" >&2
  exit 1
fi

results=${work}/results.txt
: > "${results}"
caught=0 missed=0 broken=0 run=0
for ((i = 0; i < count; ++i)); do
  [ -z "${only}" ] || [[ "${names[i]}" == *"${only}"* ]] || continue
  run=$((run + 1))
  target=${copy}/${files[i]}
  original=$(cat "${target}"; printf x)  # the clean copy: edits to the tree mid-run do not leak
  original=${original%x}
  printf '%s' "${original/"${olds[i]}"/"${news[i]}"}" > "${target}"
  verdict=""
  if ! cmake --build "${work}/build" -j "${jobs}" > "${work}/build.log" 2>&1; then
    verdict="did not build"
    broken=$((broken + 1))
  else
    # The names listed under "FAILED" (not those under "did not run").
    failed=$(ctest --test-dir "${work}/build" -j "${jobs}" 2>&1 |
             awk '/tests FAILED:/ { on = 1; next } /did not run:|^Errors while/ { on = 0 }
                  on && match($0, /^[[:space:]]*[0-9]+ - /) {
                    name = substr($0, RLENGTH + 1); sub(/ \([^()]*\)$/, "", name); printf "%s ", name }' || true)
    if [ -n "${failed}" ]; then
      verdict="caught"
      caught=$((caught + 1))
    else
      verdict="MISSED"
      missed=$((missed + 1))
    fi
  fi
  printf '%-8s %s\n' "${verdict%% *}" "${names[i]}"
  printf '%s\t%s\t%s\n' "${verdict}" "${names[i]}" "${failed:-}" >> "${results}"
  printf '%s' "${original}" > "${target}"
  failed=""
done
echo "== caught ${caught} of ${run} seeded faults (${missed} missed, ${broken} did not build)"
echo "== failing tests per fault: ${results}"
