#!/bin/sh
# Builds the Debian package from a Release build (default ./build) and checks
# that it installs and removes cleanly: dpkg -i, the installed files as
# scripts/check-install.sh checks them, dpkg -r, and nothing of it left.
# It needs root (or sudo) and a system where kempwell is not installed; two
# checks on one machine take turns.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
fail() { echo "check-package: $*" >&2; exit 1; }

exec 9>"${TMPDIR:-/tmp}/kempwell-check-package.lock"
flock 9
if dpkg-query -W -f='${Status}' kempwell 2>/dev/null | grep -q ' installed$'; then
  fail "kempwell is installed on this system; the check would replace and remove it"
fi

rm -f "$build"/kempwell_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/kempwell_*.deb)
dpkg-deb -f "$package" Depends | grep -q 'tidy' || fail "the package does not depend on tidy"

trap '$SUDO dpkg -r kempwell >/dev/null 2>&1 || true' EXIT
$SUDO dpkg -i "$package" >/dev/null
scripts/check-install.sh --prefix /usr
$SUDO dpkg -r kempwell >/dev/null
trap - EXIT
for file in $(dpkg-deb -c "$package" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }'); do
  [ ! -e "$file" ] || fail "$file is left after dpkg -r"
done
echo "check-package: $(basename "$package") installs and removes cleanly"
