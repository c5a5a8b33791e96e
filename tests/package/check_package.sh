#!/usr/bin/env bash
# Packs the build tree as scripts/package does, then checks that the .deb holds
# the programs, the sample lines, the desktop entry, the icon and the manual
# pages, and that its ridelon-cli, unpacked alone, finds 济南 K55.
set -euo pipefail
build=$1
if ! command -v dpkg-deb >/dev/null; then
  echo "skipped: dpkg-deb is not installed (Debian's dpkg)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >/dev/null
deb=$(ls "$work"/ridelon_*.deb)
contents=$(dpkg-deb --contents "$deb")
for path in usr/bin/ridelon usr/bin/ridelon-cli usr/bin/ridelon-site \
    usr/share/ridelon/site/jinan/K55lu.txt usr/share/applications/ridelon.desktop \
    usr/share/icons/hicolor/scalable/apps/ridelon.svg usr/share/man/man1/ridelon.1.gz \
    usr/share/doc/ridelon/copyright; do
  grep -q " \./$path\$" <<<"$contents" || { echo "missing from $deb: $path"; exit 1; }
done
dpkg-deb --field "$deb" Depends | grep -q libcurl || { echo "no library dependencies"; exit 1; }

dpkg-deb -x "$deb" "$work/root"
stops=$(env XDG_DATA_HOME="$work/no-user-lines" RIDELON_ROUTE_SERVICE_BASE= \
  "$work/root/usr/bin/ridelon-cli" query 济南 K55 2>/dev/null)
if [[ $stops != 济南火车站——* ]]; then
  echo "the unpacked ridelon-cli found: $stops"
  exit 1
fi
echo "$(basename "$deb") holds what it should and answers 济南 K55"
