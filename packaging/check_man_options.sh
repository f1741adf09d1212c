#!/usr/bin/env bash
# The options of `quorvel-book --help` and those of its man page are the same set.
# Usage: check_man_options.sh path/to/quorvel-book path/to/quorvel-book.1
set -euo pipefail
help_options=$("$1" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u)
man_options=$(sed 's/\\-/-/g' "$2" | grep -oE -- '--[a-z][a-z-]*' | sort -u)
if [ "$help_options" != "$man_options" ]; then
  echo "--help and the man page list different options:"
  diff <(echo "$help_options") <(echo "$man_options") || true
  exit 1
fi
echo "$(echo "$help_options" | wc -l) options in both"
