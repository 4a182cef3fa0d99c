#!/usr/bin/env bash
# Stops the tests' MariaDB server started by start-mariadb.sh (run at exit of scripts/test.sh).
# With a folder argument, stops the server whose files start-mariadb.sh put there instead (the
# benchmark's own server, started from another working folder).
dir="${1:-$(cd "$(dirname "$0")/../.." && pwd)/build/mariadb}"
pidfile="$dir/mariadbd.pid"
[ -f "$pidfile" ] || exit 0
pid="$(cat "$pidfile")"
kill "$pid" 2>/dev/null || exit 0
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || exit 0
    sleep 0.1
done
kill -9 "$pid" 2>/dev/null || true
