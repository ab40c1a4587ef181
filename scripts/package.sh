#!/usr/bin/env bash
# Builds the Debian package corvath_<version>_<arch>.deb from a Release build.
#   scripts/package.sh [--build-dir DIR] [--out DIR]
#   --build-dir  the build to install from (default build/, configured and built when missing)
#   --out        where the package goes (default: the build folder)
# Prints the package's path as its last line. DEBFULLNAME and DEBEMAIL name the maintainer.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir="$root/build"
out_dir=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir=$(realpath "$2"); shift ;;
    --out) out_dir=$(realpath "$2"); shift ;;
    *) echo "package.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
out_dir=${out_dir:-$build_dir}

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  "$root/scripts/setup.sh" --build-dir "$build_dir"
fi
if ! grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$build_dir/CMakeCache.txt"; then
  echo "package.sh: $build_dir is not a Release build" >&2
  exit 1
fi
cmake --build "$build_dir" --target corvath corvath-cli corvath_ape

version=$(sed -n 's/^project(Corvath VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
arch=$(dpkg --print-architecture)
# The last commit's author and time unless told, so that the same tree gives the same package.
email=${DEBEMAIL:-$(git -C "$root" log -1 --format=%ae 2>/dev/null || echo "maintainers@corvath.invalid")}
maintainer="${DEBFULLNAME:-Corvath developers} <$email>"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
# dpkg-shlibdeps wants the files where a source package would have put them.
pkg="$stage/debian/corvath"
DESTDIR="$pkg" cmake --install "$build_dir" --prefix /usr >/dev/null
# As Debian strips: no symbols, and no notes of the compiler's version.
strip --remove-section=.comment --remove-section=.note "$pkg"/usr/bin/*
strip --remove-section=.comment --remove-section=.note --strip-unneeded "$pkg"/usr/lib/corvath/*.so

doc="$pkg/usr/share/doc/corvath"
gzip -9n "$pkg"/usr/share/man/man1/*.1
install -m 0644 "$root/scripts/debian/copyright" "$doc/copyright"
{
  echo "corvath ($version) unstable; urgency=medium"
  echo
  echo "  * Release $version."
  echo
  echo " -- $maintainer  $(date -R -u -d "@$SOURCE_DATE_EPOCH")"
} | gzip -9n >"$doc/changelog.gz" # the name for a package made by upstream (no Debian revision)
install -D -m 0644 "$root/scripts/debian/doc-base" "$pkg/usr/share/doc-base/corvath-user-guide"

# What cmake leaves executable that is not a program.
find "$pkg" -type d -exec chmod 0755 {} +
find "$pkg/usr/share" "$pkg/usr/lib" -type f -exec chmod 0644 {} +

mkdir -p "$pkg/DEBIAN"
# dpkg-shlibdeps works out the linked libraries' packages; it also wants a source package's control.
printf 'Source: corvath\n\nPackage: corvath\nArchitecture: any\n' >"$stage/debian/control"
linked=$(cd "$stage" && dpkg-shlibdeps -O -edebian/corvath/usr/bin/corvath \
  -edebian/corvath/usr/bin/corvath-cli -edebian/corvath/usr/lib/corvath/libcorvath-ape.so | sed -n 's/^shlibs:Depends=//p')
# The program opens these at run time. Without a platform plug-in the window cannot open; without
# one of the others only the format or lookup that needs it fails, so they are recommended.
depends="$linked, qt6-qpa-plugins"
recommends="libqt6svg6, libmp3lame0, libogg0, libvorbis0a, libvorbisfile3, libvorbisenc2, libflac12"
recommends+=", libopusenc0, libavformat59, libcurl4, libsamplerate0, libebur128-1"

cat >"$pkg/DEBIAN/control" <<CONTROL
Package: corvath
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk --exclude=DEBIAN "$pkg" | cut -f1)
Depends: $depends
Recommends: $recommends
Section: sound
Priority: optional
Description: CD ripper and audio converter
 Corvath rips the tracks of audio CDs to MP3, WAV, Ogg Vorbis, WMA, FLAC, APE
 and Opus files and converts audio files between these formats. It looks disc
 titles up on a CDDB server or on MusicBrainz, fetches covers from the Cover
 Art Archive, checks ripped tracks against the AccurateRip database, writes a
 rip log and a cue sheet, and tags the files it writes, with ReplayGain.
 .
 The package holds the desktop program, corvath, and the command-line
 program, corvath-cli.
CONTROL
(cd "$pkg" && find usr -type f -print0 | sort -z | xargs -0 md5sum >DEBIAN/md5sums)
chmod 0644 "$pkg/DEBIAN/control" "$pkg/DEBIAN/md5sums"

mkdir -p "$out_dir"
deb="$out_dir/corvath_${version}_${arch}.deb"
dpkg-deb --root-owner-group -Zxz --build "$pkg" "$deb" >/dev/null
echo "$deb"
