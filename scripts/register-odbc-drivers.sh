#!/usr/bin/env bash
# Registers with unixODBC the driver names the gateway's connection strings use, each pointing at
# the Debian driver that serves it:
#   mySQL, MySQL ODBC 3.51 Driver      -> MariaDB Connector/ODBC (package odbc-mariadb)
#   SQL Server, SQL Native Client      -> FreeTDS (package tdsodbc)
# Writes the system's odbcinst.ini (see `odbcinst -j`), or the one in $ODBCSYSINI when that is
# set. Running it again replaces the entries. Firebird has no ODBC driver in Debian: the gateway
# opens Firebird connection strings with its native driver instead.
set -euo pipefail

multiarch="$(gcc -dumpmachine 2>/dev/null || echo x86_64-linux-gnu)"
odbc_dir="/usr/lib/$multiarch/odbc"
mariadb_driver="$odbc_dir/libmaodbc.so"
freetds_driver="$odbc_dir/libtdsodbc.so"

for f in "$mariadb_driver" "$freetds_driver"; do
    [ -e "$f" ] || { echo "register-odbc-drivers: $f is missing (install odbc-mariadb, tdsodbc)" >&2; exit 1; }
done
if [ -n "${ODBCSYSINI:-}" ]; then
    mkdir -p "$ODBCSYSINI"
fi

register() {
    local name="$1" driver="$2" description="$3"
    # Drop an older entry first so the usage count does not grow with every run.
    odbcinst -u -d -n "$name" >/dev/null 2>&1 || true
    printf '[%s]\nDescription=%s\nDriver=%s\nThreading=0\n' "$name" "$description" "$driver" |
        odbcinst -i -d -r >/dev/null
}

register "mySQL" "$mariadb_driver" "MariaDB Connector/ODBC under the name the gateway uses"
register "MySQL ODBC 3.51 Driver" "$mariadb_driver" "MariaDB Connector/ODBC under the name the gateway uses"
register "SQL Server" "$freetds_driver" "FreeTDS under the name the gateway uses"
register "SQL Native Client" "$freetds_driver" "FreeTDS under the name the gateway uses"

odbcinst -q -d
