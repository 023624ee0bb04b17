#!/bin/sh
# Installs the Debian 12 packages Lumaroll needs to build, test and run.
# Does nothing when they are all present already.
set -eu
PACKAGES="g++ cmake ninja-build pkg-config python3 \
  qt6-base-dev libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libsdl2-dev libxcb1-dev \
  libgtest-dev libgmock-dev libbenchmark-dev ffmpeg xvfb xauth dbus playerctl \
  desktop-file-utils appstream clang-format clang-tidy openbox xdotool x11-utils imagemagick"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing
