#!/usr/bin/env bash
# Fails when a C++ file of the repository does not match its .clang-format; names each one.
# clang-format -i on the named files mends them.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
    echo "clang-format is not installed (apt-get install clang-format)" >&2
    exit 1
fi
bad=$(git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run 2>&1 |
    sed -n 's/^\(.*\):[0-9]*:[0-9]*: warning: code should be clang-formatted.*/\1/p' | sort -u)
if [ -n "$bad" ]; then
    echo "Not formatted as .clang-format says:" >&2
    echo "$bad" >&2
    exit 1
fi
echo "Every C++ file matches .clang-format."
