#!/usr/bin/env bash
# Sourced by scripts/test.sh: starts a MariaDB server of the tests' own on 127.0.0.1, with its
# data folder, socket and log under build/mariadb, creates the test user, and exports where the
# database tests find it. stop-mariadb.sh stops it.
#
#   PELORUS_MARIADB_SOCKET    the server's socket (clients that address "localhost" use it)
#   PELORUS_MARIADB_PORT      its TCP port on 127.0.0.1
#   PELORUS_MARIADB_USER      a user that may create and drop databases named pelorus...
#   PELORUS_MARIADB_PASSWORD  its password
#
# The MySQL ODBC strings of the gateway always name port 3306 (or none, which the ODBC driver also
# takes as 3306), so the server listens on 3306 too when nobody else does (PELORUS_MARIADB_ODBC_PORT
# is then set). The first variant passes no user at all: the client then logs in as the system
# user (root), which this server of the tests lets in without a password.

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

    # The second listener for the ODBC strings, when 3306 is free.
    local extra=""
    if ! (exec 3<>/dev/tcp/127.0.0.1/3306) 2>/dev/null; then
        extra="--extra-port=3306 --extra-max-connections=200"
    else
        echo "start-mariadb: port 3306 is taken; the ODBC variants will not reach this server" >&2
    fi

    # --skip-name-resolve: a machine whose host name does not resolve still gets its server.
    mariadb-install-db --no-defaults --user=root --datadir="$dir/data" --skip-test-db \
        --skip-name-resolve \
        >"$dir/install.log" 2>&1 || {
        cat "$dir/install.log" >&2
        return 1
    }
    mariadbd --no-defaults --user=root --datadir="$dir/data" --bind-address=127.0.0.1 \
        --port="$port" --socket="$dir/mariadbd.sock" --pid-file="$dir/mariadbd.pid" \
        --log-error="$dir/error.log" --skip-log-bin --innodb-buffer-pool-size=32M \
        --character-set-server=utf8mb4 --collation-server=utf8mb4_unicode_ci \
        $extra \
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
ALTER USER 'root'@'localhost' IDENTIFIED VIA unix_socket OR mysql_native_password USING PASSWORD('');
CREATE USER 'root'@'127.0.0.1' IDENTIFIED BY '';
GRANT ALL PRIVILEGES ON *.* TO 'root'@'127.0.0.1' WITH GRANT OPTION;
SQL

    export PELORUS_MARIADB_SOCKET="$dir/mariadbd.sock"
    export PELORUS_MARIADB_PORT="$port"
    export PELORUS_MARIADB_USER=pelorus
    export PELORUS_MARIADB_PASSWORD=pelorus-test
    if [ -n "$extra" ]; then
        export PELORUS_MARIADB_ODBC_PORT=3306
    fi
    echo "start-mariadb: server on 127.0.0.1:$port, socket $PELORUS_MARIADB_SOCKET"
}

pelorus_start_mariadb
