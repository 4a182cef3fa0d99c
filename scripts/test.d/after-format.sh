#!/usr/bin/env bash
# Every C++ file follows the repository's .clang-format.
set -euo pipefail
cd "$(dirname "$0")/../.."
find src tools tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 clang-format --dry-run -Werror
echo "clang-format: every file is formatted"
