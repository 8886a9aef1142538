#!/usr/bin/env bash
# Installs the Debian packages the build, the plug-ins and the tests need, when any is missing.
set -euo pipefail

# With --run: only what building and running the player, its plug-ins and the demo need (the
# build configures the test folders too, so GoogleTest is among them).
run_packages=(
  cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev
  libsdl2-dev libdbus-1-dev libdrm-dev libfreetype-dev libfontconfig-dev libpng-dev libjpeg-dev libgif-dev
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev libmpg123-dev
  libcurl4-openssl-dev ffmpeg fonts-dejavu-core python3-pil
)
packages=(
  "${run_packages[@]}" gcc-multilib g++-multilib libbenchmark-dev libyuv-dev
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-ugly gstreamer1.0-libav
  xvfb xauth xdg-utils imagemagick
  clang libstdc++-12-dev-arm64-cross libc6-dev-arm64-cross binutils-aarch64-linux-gnu
  qemu-user mpv
)
if [ "${1:-}" = "--run" ]; then packages=("${run_packages[@]}"); fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Morvelant needs these Debian packages. Install them with:" >&2
  echo "  sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y --no-install-recommends "${missing[@]}"
