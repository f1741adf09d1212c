#!/usr/bin/env bash
# The Debian package unpacked into a temporary folder: its files are where a system expects
# them, and its command-line book maker runs from there and makes a book.
# Usage: check_package.sh path/to/quorvel_VERSION_amd64.deb VERSION
set -euo pipefail
deb="$1"
version="$2"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
dpkg-deb --info "$deb" | grep -E '^ (Package|Version|Depends):'
dpkg -x "$deb" "$dir/root"
for f in usr/bin/quorvel usr/bin/quorvel-book usr/share/applications/quorvel.desktop \
  usr/share/icons/hicolor/scalable/apps/quorvel.svg \
  usr/share/metainfo/example.tessaly.quorvel.metainfo.xml \
  usr/share/man/man1/quorvel-book.1.gz usr/share/man/man1/quorvel.1.gz \
  usr/share/doc/quorvel/copyright usr/share/doc/quorvel/changelog.gz; do
  [ -f "$dir/root/$f" ] || { echo "missing: /$f"; exit 1; }
done
dpkg-deb --field "$deb" Depends | grep -q fonts-liberation2
[ "$("$dir/root/usr/bin/quorvel-book" --version)" = "quorvel-book (Quorvel Pro) $version" ]
mkdir -m 700 "$dir/run"
(cd "$dir" && XDG_RUNTIME_DIR="$dir/run" ./root/usr/bin/quorvel-book --pages 2 -o book)
qpdf --check "$dir/book.pdf" > /dev/null
[ "$(pdfinfo "$dir/book.pdf" | awk '/^Pages:/ {print $2}')" = 3 ]
echo "the unpacked package made a 2-page book"
