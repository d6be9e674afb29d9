#!/usr/bin/env bash
# Every C++ file follows .clang-format.
#     check_format.sh SOURCE_DIR
set -euo pipefail
command -v clang-format >/dev/null || { echo "SKIP: clang-format is not installed"; exit 77; }
cd "$1"
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h' | grep -v '/build')
clang-format --dry-run --Werror $files
echo "PASS: every C++ file is formatted"
