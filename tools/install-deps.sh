#!/usr/bin/env bash
# Installs the Debian packages the build, the plug-ins and the tests need, when any is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ gcc-multilib g++-multilib pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libdbus-1-dev libdrm-dev libfreetype-dev libfontconfig-dev libpng-dev libjpeg-dev libgif-dev
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libmpg123-dev
  libcurl4-openssl-dev libyuv-dev
  ffmpeg gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-ugly gstreamer1.0-libav
  python3-pil
  xvfb xauth xdg-utils fonts-dejavu-core imagemagick
  clang libstdc++-12-dev-arm64-cross libc6-dev-arm64-cross binutils-aarch64-linux-gnu
  qemu-user
)

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
apt-get install -y -qq --no-install-recommends "${missing[@]}"
