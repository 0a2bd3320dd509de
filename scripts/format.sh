#!/usr/bin/env bash
# Formats every tracked C++ file in place as .clang-format says (run it before committing), or only
# the files given as arguments. scripts/check-format.sh, the first step of scripts/test.sh, checks it.
set -euo pipefail
cd "$(dirname "$0")/.."

clang_format=${CLANG_FORMAT:-clang-format}
command -v "$clang_format" >/dev/null || { echo "format: $clang_format not found (scripts/setup-deps.sh installs it)" >&2; exit 2; }
if [ $# -gt 0 ]; then
  "$clang_format" -i "$@"
else
  git ls-files -z '*.h' '*.cpp' | xargs -0 -r -n 50 -P 2 "$clang_format" -i
fi
