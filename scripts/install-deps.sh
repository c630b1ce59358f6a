#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only when one is missing.
# With --bench also what the benchmarks compare against (pigz); the tests never need it.
# clang 14 builds the fuzz harnesses; libFuzzer and clang's sanitizer runtimes
# are in libclang-rt-14-dev, which a minimal install leaves out. lld links the
# large test executables several times faster than the default linker.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config clang-format git
  qtbase5-dev qtbase5-dev-tools libqt5sql5-sqlite libqt5svg5-dev
  libarchive-dev zlib1g-dev libboost-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang-14 libclang-rt-14-dev lld
  xvfb xauth imagemagick x11-apps xdotool locales fonts-dejavu-core
  # Glyphs for Chinese, Japanese and Korean text in show names: the smallest
  # Debian font that covers them (1.6 MB).
  fonts-wqy-microhei
)
if [[ "${1:-}" == "--bench" ]]; then
  PACKAGES+=(pigz)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then
    # A minimal Debian has no sudo: only root can install then.
    if ! command -v sudo >/dev/null 2>&1; then
      echo "Missing packages (${missing[*]}) and no sudo: run $0 as root to install them." >&2
      exit 1
    fi
    SUDO="sudo"
  fi
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
