#!/bin/sh
# Installs every Debian package Tallyboard needs to build, test and run.
# Checks first, so a second run costs only the dpkg query.
set -eu

PACKAGES="
build-essential cmake ninja-build pkg-config
libgl-dev libglu1-mesa-dev freeglut3-dev libgl1-mesa-dri
libpng-dev zlib1g-dev libfreetype-dev libfontconfig-dev
fonts-wine fonts-liberation fonts-dejavu-core
libsdl2-dev libmpg123-dev libopenmpt-dev libfftw3-dev libmp3lame-dev
libgtest-dev libgmock-dev libbenchmark-dev
clang libclang-rt-14-dev
xvfb xauth x11-utils xdotool imagemagick openbox wmctrl
pulseaudio pulseaudio-utils
"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "setup: installing$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing
