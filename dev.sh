#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# One entry point for a fresh Debian 12 clone:
#   bash dev.sh test   install what is missing, build, run every test
#   bash dev.sh run    install what is missing, build, start kolva on the simulated card
#   bash dev.sh build  install what is missing and build
# Environment: BUILD_DIR (default build), KOLVA_SANITIZE=ON for an
# address+undefined sanitizer build.
set -euo pipefail
cd "$(dirname "$0")"
top=$PWD

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libxkbcommon-dev
          libgtest-dev libgmock-dev libbenchmark-dev libcap-dev libcap2-bin libxcb1-dev
          xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "dev.sh: installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
  local dir=${BUILD_DIR:-build}
  cmake -S "$top" -B "$dir" -G Ninja -DKOLVA_SANITIZE="${KOLVA_SANITIZE:-OFF}" >/dev/null
  cmake --build "$dir" --parallel "$(nproc)"
}

case "${1:-}" in
  build)
    install_missing
    build
    ;;
  test)
    install_missing
    build
    QT_QPA_PLATFORM=offscreen ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure \
      --parallel "$(nproc)"
    ;;
  run)
    install_missing
    build
    echo "dev.sh: the main window is not built yet; 'run' will start kolva once it is." >&2
    exit 1
    ;;
  *)
    echo "usage: bash dev.sh test|run|build" >&2
    exit 2
    ;;
esac
