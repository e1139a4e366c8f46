#!/bin/sh
# Installs what building, running and testing need on Debian 12.
set -eu
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends \
  g++ make cmake pkg-config \
  qt6-base-dev libgl-dev libqscintilla2-qt6-dev \
  libgtest-dev libbenchmark-dev libdtl-dev \
  tidy fonts-dejavu-core ca-certificates \
  desktop-file-utils appstream dpkg-dev file
