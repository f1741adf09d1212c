#!/usr/bin/env bash
# Wall time and peak memory of whole quorvel-book processes: the largest books in each mode and
# a one-page book. Each book is made 5 times; the median wall time and the largest peak memory
# are printed, with the file size. Run it on an otherwise idle machine.
# Usage: bench/books.sh [path/to/quorvel-book]   (defaults to build/cli/quorvel-book)
set -euo pipefail
book="${1:-$(dirname "$0")/../build/cli/quorvel-book}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
echo "$(nproc) cores; $book"
run() {
  local name="$1"
  shift
  local walls=() peak=0
  for i in 1 2 3 4 5; do
    # Wall time to the millisecond from the shell's clock; peak memory from time(1).
    local start="$EPOCHREALTIME"
    /usr/bin/time -f "%M" -o "$out/time" "$book" "$@" --seed "$i" --force -o "$out/book.pdf" \
      2>/dev/null
    local end="$EPOCHREALTIME"
    read -r kb < "$out/time"
    walls+=("$(awk -v a="$start" -v b="$end" 'BEGIN{printf "%.3f", b - a}')")
    [ "$kb" -gt "$peak" ] && peak="$kb"
  done
  local median
  median=$(printf '%s\n' "${walls[@]}" | sort -n | sed -n 3p)
  printf '%-46s median wall %6.3f s   peak memory %6.1f MB   file %6.1f MB\n' "$name" "$median" \
    "$(awk -v k="$peak" 'BEGIN{print k/1024}')" \
    "$(awk -v b="$(stat -c %s "$out/book.pdf")" 'BEGIN{print b/1048576}')"
}
run "Standard 200 pages, 4 per page" --pages 200 --per-page 4 --level extreme
run "Samurai 200 pages" --samurai --pages 200 --level extreme
run "Standard 1 page" --pages 1
run "Standard 200 x 4, every puzzle different" --pages 200 --per-page 4 --level extreme --unique
run "Samurai 200, every puzzle different" --samurai --pages 200 --level extreme --unique
run "Standard 200 x 4, 6x9 print-ready, classic" --pages 200 --per-page 4 --level extreme \
  --paper 6x9 --print-ready --design classic
run "Samurai 200, 6x9 print-ready, classic" --samurai --pages 200 --level extreme --paper 6x9 \
  --print-ready --design classic
run "Standard 200 x 4, 6x9 print-ready, book design" --pages 200 --per-page 4 --level extreme \
  --paper 6x9 --print-ready --design book
run "Samurai 200, 6x9 print-ready, book design" --samurai --pages 200 --level extreme \
  --paper 6x9 --print-ready --design book
# A whole book: four sections of 800 Standard puzzles in mixed layouts, all the front matter and
# a manifest; then the same book kept clear of two earlier volumes.
whole=(--paper 6x9 --print-ready --section standard:easy:200:2 --section standard:standard:200:4
  --section standard:hard:200:1 --section standard:expert:200:4 --front-matter all
  --section-pages --title "Puzzle Days" --author "Ana Lee" --isbn 978-0-306-40615-7)
for v in 1 2; do
  "$book" "${whole[@]}" --unique --seed "10$v" --manifest "$out/v$v.json" --force \
    -o "$out/v$v.pdf" 2>/dev/null
done
run "Whole book, 4 sections, 800 puzzles, 6x9" "${whole[@]}" --manifest "$out/book.json"
run "The same, --exclude two volumes" "${whole[@]}" --manifest "$out/book.json" \
  --exclude "$out/v1.json" "$out/v2.json"
# The largest print-ready book with its full-wrap cover: the cover's cost is the difference
# from the book design's Standard row above.
run "Standard 200 x 4, 6x9 print-ready, with cover" --pages 200 --per-page 4 --level extreme \
  --paper 6x9 --print-ready --design book --cover "$out/cover.pdf"
# Variants: 200 pages of puzzles in four sections, one of each variant.
variants=(--paper 6x9 --print-ready --section x:extreme:100:2 --section jigsaw:extreme:100:2
  --section 6x6:hard:200:4 --section 4x4:easy:200:4)
run "Variants, 4 sections, 600 puzzles, 200 pages" "${variants[@]}"
run "The same, every puzzle different" "${variants[@]}" --unique --manifest "$out/book.json"
