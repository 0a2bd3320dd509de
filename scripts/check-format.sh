#!/usr/bin/env bash
# Fails (exit 1, naming the files) when a tracked C++ file is not formatted as .clang-format says.
# `scripts/format.sh` formats them. The check uses Debian 12's clang-format 14: other versions lay out
# some constructs differently, so CLANG_FORMAT may name another binary (clang-format-14, say).
set -euo pipefail
cd "$(dirname "$0")/.."

clang_format=${CLANG_FORMAT:-clang-format}
if ! command -v "$clang_format" >/dev/null; then
  echo "check-format: $clang_format not found (scripts/setup-deps.sh installs it)" >&2
  exit 2
fi
version=$("$clang_format" --version)
case $version in
  *"version 14."*) ;;
  *) echo "check-format: warning: the style is tuned for clang-format 14, this is: $version" >&2 ;;
esac

# One message per file is enough to name it.
status=0
report=$(git ls-files -z '*.h' '*.cpp' | xargs -0 -r "$clang_format" --dry-run --Werror --ferror-limit=1 2>&1) ||
  status=$?
unformatted=$(printf '%s\n' "$report" |
  sed -n 's/^\(.*\):[0-9][0-9]*:[0-9][0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
# A failure that names no file (an unreadable file, a broken .clang-format) is shown as it came.
if [ "$status" -ne 0 ] && [ -z "$unformatted" ]; then
  printf '%s\n' "$report" >&2
  exit 1
fi
if [ -n "$unformatted" ]; then
  echo "Files not formatted as .clang-format says (scripts/format.sh formats them):"
  printf '%s\n' "$unformatted" | sed 's/^/  /'
  echo "$(printf '%s\n' "$unformatted" | wc -l) of $(git ls-files '*.h' '*.cpp' | wc -l) files."
  exit 1
fi
echo "All $(git ls-files '*.h' '*.cpp' | wc -l) C++ files are formatted."
