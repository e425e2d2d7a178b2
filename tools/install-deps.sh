#!/bin/sh
# Installs the Debian packages the build, the game and the tests need, or
# the packages named as arguments (the content tools ask for theirs).
# Does nothing (and says nothing) when everything is already there.
set -e

PACKAGES="$*"
[ -n "$PACKAGES" ] || PACKAGES="cmake ninja-build g++ clang lld libclang-rt-14-dev pkg-config make
 zlib1g-dev libpng-dev libjpeg62-turbo-dev libopenjp2-7-dev
 libogg-dev libvorbis-dev libsdl2-dev libcurl4-openssl-dev
 libgtest-dev libgmock-dev libbenchmark-dev
 libgl1-mesa-dri libegl1 libegl-mesa0 libgles2
 libfreetype-dev fonts-dejavu-core"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
