#!/usr/bin/env bash
# Sourced by scripts/test.sh: starts a MariaDB server of the tests' own on 127.0.0.1, with its
# data folder, socket and log under build/mariadb, creates the test user, and exports where the
# database tests find it. stop-mariadb.sh stops it.
#
#   PELORUS_MARIADB_SOCKET    the server's socket (clients that address "localhost" use it)
#   PELORUS_MARIADB_PORT      its TCP port on 127.0.0.1
#   PELORUS_MARIADB_USER      a user that may create and drop databases named pelorus...
#   PELORUS_MARIADB_PASSWORD  its password

pelorus_start_mariadb() {
    local dir port p
    dir="$(pwd)/build/mariadb"
    if [ -f "$dir/mariadbd.pid" ] && kill -0 "$(cat "$dir/mariadbd.pid")" 2>/dev/null; then
        kill "$(cat "$dir/mariadbd.pid")" 2>/dev/null || true
        sleep 1
    fi
    rm -rf "$dir"
    mkdir -p "$dir/data"

    # A port nobody listens on, from 33306 upwards.
    port=""
    for p in $(seq 33306 33336); do
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then
            port=$p
            break
        fi
    done
    if [ -z "$port" ]; then
        echo "start-mariadb: no free port in 33306-33336" >&2
        return 1
    fi

    mariadb-install-db --no-defaults --user=root --datadir="$dir/data" --skip-test-db \
        >"$dir/install.log" 2>&1 || {
        cat "$dir/install.log" >&2
        return 1
    }
    mariadbd --no-defaults --user=root --datadir="$dir/data" --bind-address=127.0.0.1 \
        --port="$port" --socket="$dir/mariadbd.sock" --pid-file="$dir/mariadbd.pid" \
        --log-error="$dir/error.log" --skip-log-bin --innodb-buffer-pool-size=32M \
        --character-set-server=utf8mb4 --collation-server=utf8mb4_unicode_ci \
        </dev/null >/dev/null 2>&1 &

    local i
    for i in $(seq 1 150); do
        if mariadb-admin --no-defaults --socket="$dir/mariadbd.sock" -u root ping >/dev/null 2>&1; then
            break
        fi
        sleep 0.2
    done
    if ! mariadb-admin --no-defaults --socket="$dir/mariadbd.sock" -u root ping >/dev/null 2>&1; then
        echo "start-mariadb: the server did not answer within 30 s" >&2
        cat "$dir/error.log" >&2 || true
        return 1
    fi

    mariadb --no-defaults --socket="$dir/mariadbd.sock" -u root <<'SQL'
CREATE USER 'pelorus'@'localhost' IDENTIFIED BY 'pelorus-test';
CREATE USER 'pelorus'@'127.0.0.1' IDENTIFIED BY 'pelorus-test';
GRANT ALL PRIVILEGES ON `pelorus%`.* TO 'pelorus'@'localhost';
GRANT ALL PRIVILEGES ON `pelorus%`.* TO 'pelorus'@'127.0.0.1';
CREATE DATABASE pelorus CHARACTER SET utf8mb4;
SQL

    export PELORUS_MARIADB_SOCKET="$dir/mariadbd.sock"
    export PELORUS_MARIADB_PORT="$port"
    export PELORUS_MARIADB_USER=pelorus
    export PELORUS_MARIADB_PASSWORD=pelorus-test
    echo "start-mariadb: server on 127.0.0.1:$port, socket $PELORUS_MARIADB_SOCKET"
}

pelorus_start_mariadb
