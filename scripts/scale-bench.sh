#!/usr/bin/env bash
# Throughput of several gateways on one MariaDB send table. Starts a MariaDB server of its own (as
# the tests do, in its own folder and on a free port), then for each count N of gateways: a fresh
# database with ROWS waiting rows, N headless gateways, each with its own settings file, folder
# (journal and logs), GatewayId and virtual modem answering AT+CMGS after 300 ms. The clock runs
# from the gateways' start until no row waits (or the time-out); then they get SIGTERM.
# For each N it prints:
#   rows/min   rows written back per minute
#   first      seconds until the first row was written back (start-up and the first batch)
#   twice      rows whose text the modems accepted more than once (all --sent files together)
#   left       rows still waiting (Status 1) after the stop
# and the rows each gateway's modem accepted. Exit status 0 when the goals are met: N=4 at least
# 3.6 times N=1, no row sent twice, none left.
#
# usage: scripts/scale-bench.sh [--rows N] [--gateways "1 2 4"] [--period S] [--timeout S]
#                               [--build DIR] [--keep]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
rows=400 counts="1 2 4" period=1 timeout="" build="$root/build" keep=0
usage() {
    echo "usage: $0 [--rows N] [--gateways \"1 2 4\"] [--period S] [--timeout S]" \
        "[--build DIR] [--keep]" >&2
    exit 2
}
while [ $# -gt 0 ]; do
    case "$1" in
        --rows) rows=$2; shift ;;
        --gateways) counts=$2; shift ;;
        --period) period=$2; shift ;;
        --timeout) timeout=$2; shift ;;
        --build) build=$2; shift ;;
        --keep) keep=1 ;;
        *) usage ;;
    esac
    shift
done
pelorus="$build/tools/pelorus/pelorus"
modemsim="$build/tools/pelorus-modemsim/pelorus-modemsim"
pdu="$build/tools/pelorus-pdu/pelorus-pdu"
[ -x "$pelorus" ] && [ -x "$modemsim" ] && [ -x "$pdu" ] ||
    { echo "scale-bench: build pelorus, pelorus-modemsim and pelorus-pdu first" >&2; exit 2; }

work="$(mktemp -d /tmp/pelorus-scale-XXXXXX)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
    { wait || true; } 2>/dev/null
    bash "$root/scripts/test.d/stop-mariadb.sh" "$work/build/mariadb"
    if [ "$keep" = 1 ]; then echo "scale-bench: left $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# The server lives in $work/build/mariadb: never in the tree, whose server others may be using.
(cd "$work" && source "$root/scripts/test.d/start-mariadb.sh" &&
    declare -p PELORUS_MARIADB_SOCKET PELORUS_MARIADB_PORT) >"$work/server.env" 2>"$work/server.err" ||
    { cat "$work/server.err" >&2; echo "scale-bench: MariaDB did not start" >&2; exit 2; }
source <(grep '^declare' "$work/server.env")
# The gateway's native client addresses "localhost", which it finds through this socket.
export MYSQL_UNIX_PORT="$PELORUS_MARIADB_SOCKET"
sql() { mariadb --no-defaults --socket="$PELORUS_MARIADB_SOCKET" -u root -N -B "$@"; }

settings() {  # folder database name
    cat >"$1/Pelorus.ini" <<INI
[Server]
SbType=4
Driver=1
Access=0
ServerName=localhost
DbName=$2
User=pelorus
Pwd=pelorus-test
TableSend=Send
TableReceive=Receive
[Phone]
ComPort=$1/modem
ComPortSpeed=115200
Period=$period
[SMS]
SMSC=79001111111
[Options]
GatewayId=$3
[Folders]
Logs=$1/Logs
INI
}

start_modem() {  # folder
    "$modemsim" --link "$1/modem" --sent "$1/sent.txt" --profile slow-network --cmgs-delay 300 \
        >"$1/modem.out" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        grep -q '^ready' "$1/modem.out" && return 0
        sleep 0.1
    done
    echo "scale-bench: the virtual modem in $1 did not start" >&2
    exit 2
}

# One run of N gateways; prints its line of the table and sets rate_N.
run() {
    local n=$1 db="pelorus_bench_$1" run="$work/n$1" k dir t0 t1 waiting done_rows limit first=""
    local gateway_pids=()
    mkdir -p "$run"
    sql -e "CREATE DATABASE $db CHARACTER SET utf8mb4"
    for ((k = 1; k <= n; k++)); do
        dir="$run/gw$k"
        mkdir -p "$dir/Logs"
        settings "$dir" "$db" "gw$k"
        start_modem "$dir"
    done
    "$pelorus" --init-db --config "$run/gw1/Pelorus.ini" >"$run/init-db.out" 2>&1 ||
        { cat "$run/init-db.out" >&2; exit 2; }
    # Each row's text is its own, so that the modems' PDUs name the row.
    seq 1 "$rows" | awk '{ printf "%s(\0477901%07d\047, \047Bench row %d\047)",
        (NR > 1 ? "," : "INSERT INTO Send (Number, SmsMessage) VALUES "), $1, $1 } END { print ";" }' |
        sql "$db"

    # The time-out: about a second a row for one gateway, shared by N, and two minutes on top.
    limit=${timeout:-$(( 120 + rows / n ))}
    t0=$(now_ms)
    for ((k = 1; k <= n; k++)); do
        "$pelorus" --headless --config "$run/gw$k/Pelorus.ini" >"$run/gw$k/gateway.out" 2>&1 &
        gateway_pids+=($!)
        pids+=($!)
    done
    while :; do
        waiting=$(sql "$db" -e "SELECT COUNT(*) FROM Send WHERE Status = 1")
        t1=$(now_ms)
        [ -z "$first" ] && [ "$waiting" -lt "$rows" ] && first=$(( t1 - t0 ))
        [ "$waiting" -eq 0 ] && break
        [ $(( t1 - t0 )) -ge $(( limit * 1000 )) ] && break
        sleep 0.25
    done
    done_rows=$(( rows - waiting ))
    for pid in "${gateway_pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
    for pid in "${gateway_pids[@]}"; do wait "$pid" 2>/dev/null || true; done

    local left failed twice sent per=""
    left=$(sql "$db" -e "SELECT COUNT(*) FROM Send WHERE Status = 1")
    failed=$(sql "$db" -e "SELECT COUNT(*) FROM Send WHERE Status = 3")
    cat "$run"/gw*/sent.txt 2>/dev/null | "$pdu" decode |
        sed -n 's/.*"text": *"\([^"]*\)".*/\1/p' | sort | uniq -c >"$run/texts.txt"
    twice=$(awk '$1 > 1' "$run/texts.txt" | wc -l)
    sent=$(wc -l <"$run/texts.txt")
    for ((k = 1; k <= n; k++)); do
        per+=" gw$k $(cat "$run/gw$k/sent.txt" 2>/dev/null | wc -l)"
    done
    local seconds rate
    seconds=$(awk -v ms=$(( t1 - t0 )) 'BEGIN { printf "%.1f", ms / 1000 }')
    rate=$(awk -v r="$done_rows" -v ms=$(( t1 - t0 )) 'BEGIN { printf "%.0f", r * 60000 / ms }')
    first=$(awk -v ms="${first:-0}" 'BEGIN { printf "%.1f", ms / 1000 }')
    printf '%8d %9s %8s %6s %6d %6d %6d %7d  %s\n' "$n" "$rate" "$seconds" "$first" "$sent" "$twice" \
        "$left" "$failed" "accepted per modem:$per"
    printf -v "rate_$n" '%s' "$rate"
    twice_total=$(( twice_total + twice ))
    left_total=$(( left_total + left ))
}

bench_start=$(now_ms)
twice_total=0 left_total=0
echo "scale-bench: $rows rows, gateways: $counts, Period=$period s, AT+CMGS answered after 300 ms," \
    "MariaDB on 127.0.0.1:$PELORUS_MARIADB_PORT; $(nproc) cores"
printf '%8s %9s %8s %6s %6s %6s %6s %7s\n' gateways rows/min seconds first sent twice left failed
for n in $counts; do
    modems_before=${#pids[@]}
    run "$n"
    # Stop this run's modems so that the next run has the cores to itself.
    for pid in "${pids[@]:$modems_before}"; do kill -TERM "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]:$modems_before}"; do wait "$pid" 2>/dev/null || true; done
    pids=("${pids[@]:0:$modems_before}")
done
echo "scale-bench: took $(( ($(now_ms) - bench_start) / 1000 )) s"

verdict=0
if [ -n "${rate_1:-}" ] && [ -n "${rate_4:-}" ]; then
    ratio=$(awk -v a="$rate_4" -v b="$rate_1" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
    echo "ratio 4 gateways / 1: $ratio (goal 3.6)"
    awk -v r="$ratio" 'BEGIN { exit !(r >= 3.6) }' || verdict=1
fi
[ "$twice_total" -eq 0 ] || { echo "goal missed: $twice_total rows sent twice"; verdict=1; }
[ "$left_total" -eq 0 ] || { echo "goal missed: $left_total rows left waiting"; verdict=1; }
exit $verdict
