#!/usr/bin/env bash
# Installs what the tests need, builds, starts the test servers, runs the whole suite, then the
# extra checks (fuzzing, cross compile) and stops the servers.
#
# Pieces live in scripts/test.d/:
#   start-*.sh  sourced before the tests (start a server, export what the tests need to find it)
#   stop-*.sh   run at exit, whatever happened
#   after-*.sh  run after the tests pass
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
bash scripts/install-deps.sh
bash scripts/build.sh

stop_all() {
    for s in "$root"/scripts/test.d/stop-*.sh; do
        [ -e "$s" ] && bash "$s" || true
    done
}
trap stop_all EXIT

for s in "$root"/scripts/test.d/start-*.sh; do
    [ -e "$s" ] && source "$s"
done

ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600 --no-tests=error | tee build/ctest.log
summary="$(grep -E '^[0-9]+% tests passed' build/ctest.log | tail -n 1)"

for s in "$root"/scripts/test.d/after-*.sh; do
    if [ -e "$s" ]; then bash "$s"; fi
done

# The test summary closes the output, after the extra checks.
echo "$summary"
