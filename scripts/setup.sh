# Sourced by ./run and ./test: installs missing Debian packages and builds into build/.
set -euo pipefail

QUORVEL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
QUORVEL_PACKAGES=(build-essential cmake pkg-config libgtest-dev libbenchmark-dev libcli11-dev libtomlplusplus-dev nlohmann-json3-dev
  libfreetype-dev zlib1g-dev fonts-liberation2 qpdf poppler-utils python3-fonttools qt6-base-dev locales
  lintian appstream desktop-file-utils)

quorvel_install() {
  local missing=()
  for p in "${QUORVEL_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}" >&2
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >&2
}

# The tests check number formatting under a locale with a decimal comma.
quorvel_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8 >&2
}

# quorvel_build DIR [cmake options...]
quorvel_build() {
  local dir="$1"
  shift
  if [ ! -f "$QUORVEL_ROOT/$dir/CMakeCache.txt" ] || [ $# -gt 0 ]; then
    cmake -S "$QUORVEL_ROOT" -B "$QUORVEL_ROOT/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >&2
  fi
  cmake --build "$QUORVEL_ROOT/$dir" -j"$(nproc)" >&2
}
