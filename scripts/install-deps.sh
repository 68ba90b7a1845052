# Sourced by the scripts in this folder: installs the build dependencies that are
# missing, with apt-get (needs root when anything is missing). Arguments name further
# packages that the calling script needs.

OSTREL_PACKAGES=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev uuid-dev
                 libspdlog-dev libpugixml-dev clang libclang-rt-14-dev libxml2-utils pkgconf)

# The Windows stage of scripts/test.sh --full: the mingw-w64 cross compiler (POSIX
# threads), Wine to run its programs and GoogleTest's sources to build for Windows.
OSTREL_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine64 googletest)

# ostrel_install_deps [package...]: OSTREL_PACKAGES and the given packages.
ostrel_install_deps() {
  local missing=()
  local package
  for package in "${OSTREL_PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "${package}" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("${package}")
    fi
  done
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  echo "== installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  export DEBIAN_FRONTEND=noninteractive
  ${sudo} apt-get update -q
  ${sudo} apt-get install -y -q "${missing[@]}"
}
