# Sourced by the scripts: installs the Debian packages that are missing, quietly.
marulex_need() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  if [ -z "${MARULEX_APT_UPDATED:-}" ]; then
    $sudo apt-get update -qq
    export MARULEX_APT_UPDATED=1
  fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Building the Linux program, the tools and the Windows program.
MARULEX_BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config zlib1g-dev qt6-base-dev
  libgl-dev libxcb1-dev libxcb-shm0-dev mingw-w64)
# Unit tests and benchmarks.
MARULEX_TEST_PACKAGES=(googletest libgtest-dev libbenchmark-dev valgrind libxcb-xfixes0-dev)
# End-to-end tests of the Linux program.
MARULEX_LINUX_E2E_PACKAGES=(xvfb xauth xdotool x11-utils x11-apps imagemagick python3)
# End-to-end tests of the Windows program.
MARULEX_WINE_PACKAGES=(wine wine64 xvfb xdotool imagemagick python3)
# Fuzzing.
MARULEX_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
