#!/usr/bin/env bash
# Mutation testing of src/ (slow: not part of CI). Builds into build-mutate/ and prints killed,
# survived and not built, with each survivor's file and line.
#   bash scripts/mutate.sh [--sample N] [--seed S] [--save FILE | --replay FILE] [--list] [--from N]
# The database tests need the test servers: source scripts/test.d/start-*.sh first, or they skip.
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 scripts/mutate.py "$@"
