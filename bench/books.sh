#!/usr/bin/env bash
# Wall time and peak memory of the largest books, each as a whole quorvel-book process.
# Usage: bench/books.sh [path/to/quorvel-book]   (defaults to build/cli/quorvel-book)
set -euo pipefail
book="${1:-$(dirname "$0")/../build/cli/quorvel-book}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
run() {
  local name="$1"
  shift
  local best_wall=999 peak=0
  for i in 1 2 3; do
    /usr/bin/time -f "%e %M" -o "$out/time" "$book" "$@" --force -o "$out/book.pdf" 2>/dev/null
    read -r wall kb < "$out/time"
    best_wall=$(awk -v a="$wall" -v b="$best_wall" 'BEGIN{print (a<b)?a:b}')
    [ "$kb" -gt "$peak" ] && peak="$kb"
  done
  printf '%-34s best wall %6.2f s   peak memory %6.1f MB\n' "$name" "$best_wall" "$(awk -v k="$peak" 'BEGIN{print k/1024}')"
}
run "Standard 200 pages, 4 per page" --pages 200 --per-page 4 --level extreme
run "Samurai 200 pages" --samurai --pages 200 --level extreme
