# Sourced by the scripts: installs Debian packages that are missing, quietly, once per run.
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

# What every build needs.
MARULEX_BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config zlib1g-dev qt6-base-dev
  libgl-dev libxcb1-dev)
