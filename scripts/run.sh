#!/bin/sh
# Installs, builds and starts the program on the bundled sample document.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec build/kempwell samples/sample.htm
