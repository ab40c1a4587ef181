#!/usr/bin/env bash
# Builds the Debian package and checks it: lintian finds no error, the desktop entry, the
# software-centre data and the manual pages are valid, and the programs run from the unpacked
# package with no help from the environment.
#   scripts/check_package.sh [--build-dir DIR]   (default build/, reused when it is there)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
deb=$("$root/scripts/package.sh" "$@" --out "$work" | tail -n 1)
echo "Checking $deb"

lintian --fail-on error --display-info "$deb"
desktop-file-validate "$root/resources/corvath.desktop"
# The id is the desktop file's name, "corvath": the project has no domain name of its own to
# make a reverse-domain id of.
appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info \
  "$root/resources/corvath.metainfo.xml"
bash "$root/scripts/check_man_pages.sh"

unpacked="$work/root"
dpkg -x "$deb" "$unpacked"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache"
mkdir -p "$HOME"
"$unpacked/usr/bin/corvath-cli" --version
"$unpacked/usr/bin/corvath-cli" --help >/dev/null
# Installed, the settings are the user's even where the program's folder is writable (root).
"$unpacked/usr/bin/corvath-cli" settings | grep -qx "options.ini: $XDG_CONFIG_HOME/corvath/options.ini"
QT_QPA_PLATFORM=offscreen "$unpacked/usr/bin/corvath" --version
# The APE encoder is the package's own library, found from the program's folder.
sox -n -r 44100 -c 2 -b 16 "$work/tone.wav" synth 1 sine 440
mkdir "$work/out"
"$unpacked/usr/bin/corvath-cli" convert --to ape "$work/tone.wav" -o "$work/out" >/dev/null
test -s "$work/out/tone.ape"
echo "The package is fine."
