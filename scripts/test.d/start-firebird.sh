#!/usr/bin/env bash
# Sourced by scripts/test.sh: embedded Firebird needs no server, only a lock folder of its own and
# a folder for the test databases, both under build/firebird.
#
#   FIREBIRD_LOCK         the engine's lock folder
#   PELORUS_FIREBIRD_DIR  where the database tests create their database files (with isql-fb)

pelorus_start_firebird() {
    local dir
    dir="$(pwd)/build/firebird"
    rm -rf "$dir"
    mkdir -p "$dir/lock" "$dir/databases"
    command -v isql-fb >/dev/null || {
        echo "start-firebird: isql-fb is missing (firebird3.0-utils)" >&2
        return 1
    }
    export FIREBIRD_LOCK="$dir/lock"
    export PELORUS_FIREBIRD_DIR="$dir/databases"
}

pelorus_start_firebird
