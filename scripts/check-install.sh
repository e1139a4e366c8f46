#!/bin/sh
# Checks an install of Kempwell as a desktop would use it: the programs, a
# valid desktop entry for HTML documents, its icon, valid AppStream metadata
# and the man page; the command line's answers; and that the installed
# program, in a folder the user may not write to, keeps its working files in
# the per-user data folder.
#
#   scripts/check-install.sh BUILD_DIR     installs BUILD_DIR into a scratch prefix first
#   scripts/check-install.sh --prefix DIR  checks what is installed under DIR
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
if [ "${1:-}" = --prefix ]; then
  prefix=$2
else
  prefix=$scratch/prefix
  cmake --install "${1:-build}" --prefix "$prefix" >/dev/null
fi
fail() { echo "check-install: $*" >&2; exit 1; }

for program in kempwell kempwell-trace; do
  [ -x "$prefix/bin/$program" ] || fail "$prefix/bin/$program is missing"
done
[ -f "$prefix/share/man/man1/kempwell.1" ] || fail "the man page is missing"
desktop=$(grep -l '^Exec=kempwell ' "$prefix"/share/applications/*.desktop) || fail "no desktop entry runs kempwell"
desktop-file-validate "$desktop" || fail "$desktop is not valid"
grep -q '^MimeType=.*text/html;' "$desktop" && grep -q '^MimeType=.*application/xhtml+xml;' "$desktop" ||
  fail "$desktop does not open HTML documents"
id=$(basename "$desktop" .desktop)
[ "$(sed -n 's/^Icon=//p' "$desktop")" = "$id" ] || fail "$desktop names another icon"
[ -f "$prefix/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "the icon $id.svg is missing"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >"$scratch/appstream" ||
  fail "the AppStream metadata is not valid: $(cat "$scratch/appstream")"

# Help, version and a wrong option need no display; a wrong option is refused with status 2.
kw=$prefix/bin/kempwell
out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$kw" --help 2>"$scratch/err") ||
  fail "--help failed: $(cat "$scratch/err")"
echo "$out" | grep -q -- '--tidy \[--format list|gnu\]' || fail "--help lacks --tidy: $out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$kw" --version 2>"$scratch/err") ||
  fail "--version failed: $(cat "$scratch/err")"
echo "$out" | grep -qx 'kempwell [0-9][0-9.]*' || fail "--version said: $out"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$kw" --no-such-option >"$scratch/out" 2>"$scratch/err" || status=$?
[ "$status" -eq 2 ] && [ ! -s "$scratch/out" ] && grep -q 'no-such-option' "$scratch/err" ||
  fail "an unknown option gave status $status and: $(cat "$scratch/out" "$scratch/err")"

# A user who may not write to the program's folder: root checks as nobody.
home=$scratch/home
mkdir -p "$home/data/kempwell"
cp "$here/samples/sample.htm" "$home/page.htm"
echo "--no-such-tidy-option yes" >"$home/data/kempwell/params.txt"
ls -A "$prefix/bin" >"$scratch/before"
as_user=
if [ "$(id -u)" -eq 0 ]; then
  chown -R 65534:65534 "$home"
  as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"
elif [ -w "$prefix/bin" ]; then
  chmod a-w "$prefix/bin"  # given back by the trap
fi
status=0
$as_user env -u KEMPWELL_PROGRAM_DIR HOME="$home" XDG_DATA_HOME="$home/data" "$kw" --tidy "$home/page.htm" >"$scratch/out" 2>&1 || status=$?
grep -q 'no-such-tidy-option' "$scratch/out" ||
  fail "the run did not take params.txt from the data folder (status $status): $(cat "$scratch/out")"
ls -A "$prefix/bin" | cmp -s - "$scratch/before" || fail "the run wrote into $prefix/bin"
echo "check-install: $prefix is fine"
