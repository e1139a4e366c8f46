#!/bin/sh
# Installs, builds and runs every test (widget tests on Qt's offscreen
# platform), then checks the Debian package.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
(cd build && ctest --output-on-failure -j2)
scripts/check-package.sh
