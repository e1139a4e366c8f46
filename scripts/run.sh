#!/bin/sh
# Installs, builds the program and the trace viewer it starts (nothing else),
# and starts the program on the bundled sample document.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh kempwell kempwell-trace
exec build/kempwell samples/sample.htm
