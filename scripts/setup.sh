#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# This is the one list of dependencies; packages already present are skipped.
set -euo pipefail

packages=(
  # toolchain
  build-essential g++ cmake pkg-config
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # Sillaro (Qt 6 Widgets, Network, D-Bus; translation tools)
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libgl-dev qt6-svg-dev
  # preview playback through the desktop's sound server
  qt6-multimedia-dev
  # device back-ends and the text conversion of tags
  libasound2-dev libusb-1.0-0-dev libudev-dev libsystemd-dev
  # the FLAC track writer
  libflac-dev
  # external readers of our files, used by tests (flac and metaflac for FLAC
  # tracks, and the flac encoder beside ours in the benchmark)
  ffmpeg sox mediainfo python3 python3-mutagen flac
  # file-system images for the save tests
  dosfstools mtools
  # desktop tests without a display
  xvfb xauth x11-utils imagemagick
  # real key presses in the desktop tests (XTEST)
  libxtst-dev
  # installing and packaging: desktop-file and AppStream validators, the Debian
  # package tools CPack uses, the Japanese font the translation is shown with
  desktop-file-utils appstream dpkg-dev file fonts-ipafont-gothic
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
