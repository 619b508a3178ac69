#!/bin/sh
# Fails, naming the files, when a tracked C++ file is not laid out as
# .clang-format says. To mend: clang-format -i FILE...
set -eu
cd "$(dirname "$0")/.."
bad=$(git ls-files '*.cpp' '*.h' | while read -r f; do
    clang-format --dry-run -Werror "$f" > /dev/null 2>&1 || echo "$f"
done)
if [ -n "$bad" ]; then
    echo "Not laid out as .clang-format says (clang-format -i FILE mends it):" >&2
    echo "$bad" >&2
    exit 1
fi
