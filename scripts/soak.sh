#!/usr/bin/env bash
# Crash soak: the headless gateway against the virtual modem and a SQLite file. Send rows and
# received messages are fed over a while; the gateway is stopped at seeded random moments (kill -9
# or SIGTERM) and started again at once. Once everything has settled, counts what happened:
#   rows sent 0 / 1 / >1       by the PDUs the modem accepted, each part of a row counted
#   messages stored 0 / 1 / >1 by the receive table
#   deleted unstored           neither stored nor left in the phone: lost
#   uncertain                  sends logged as of unknown outcome
# Exit status 0 when nothing was sent twice, stored twice or lost, and every row not sent is an
# uncertain one.
#
# usage: scripts/soak.sh [--seed S] [--rows N] [--messages N] [--kills K] [--signal KILL|TERM]
#                        [--latency MS] [--build DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seed=1 rows=300 messages=300 kills=20 signal=KILL latency=0 build="$root/build"
while [ $# -gt 0 ]; do
    case "$1" in
        --seed) seed=$2 ;;
        --rows) rows=$2 ;;
        --messages) messages=$2 ;;
        --kills) kills=$2 ;;
        --signal) signal=$2 ;;
        --latency) latency=$2 ;;
        --build) build=$2 ;;
        *) echo "usage: $0 [--seed S] [--rows N] [--messages N] [--kills K]" \
                "[--signal KILL|TERM] [--latency MS] [--build DIR]" >&2; exit 2 ;;
    esac
    shift 2
done
pelorus="$build/tools/pelorus/pelorus"
modemsim="$build/tools/pelorus-modemsim/pelorus-modemsim"
[ -x "$pelorus" ] && [ -x "$modemsim" ] || { echo "soak: build pelorus and pelorus-modemsim first" >&2; exit 2; }

base=/tmp; [ -w /dev/shm ] && base=/dev/shm
work="$(mktemp -d "$base/pelorus-soak-XXXXXX")"
gateway_pid="" modem_pid=""
cleanup() {
    [ -n "$gateway_pid" ] && kill -KILL "$gateway_pid" 2>/dev/null || true
    [ -n "$modem_pid" ] && kill -TERM "$modem_pid" 2>/dev/null || true
    { wait || true; } 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
RANDOM=$seed
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
sql() { sqlite3 -cmd ".timeout 10000" "$1" "$2"; }

# The database and the settings (a cycle every 2 s, the pauses at a tenth).
sqlite3 "$work/pelorus.db" < "$root/sql/sqlite.sql"
sqlite3 "$work/probe.db" < "$root/sql/sqlite.sql"
settings() {  # file database
    printf '[Server]\nSbType=6\nDbName=%s\nTableSend=Send\nTableReceive=Receive\n' "$2" > "$1"
    printf '[Phone]\nComPort=%s\nComPortSpeed=115200\nPeriod=2\n' "$work/modem" >> "$1"
    printf '[SMS]\nSMSC=79001111111\n[Folders]\nLogs=%s\n' "$(dirname "$1")/Logs" >> "$1"
}
settings "$work/Pelorus.ini" "$work/pelorus.db"
mkdir -p "$work/probe" && settings "$work/probe/Pelorus.ini" "$work/probe.db"

# Row n goes to 7901nnnnnnn: every fifth a three-part message, every third a Cyrillic one.
row_text() {
    if [ $(($1 % 5)) -eq 0 ]; then printf 'S%d %0350d' "$1" 0
    elif [ $(($1 % 3)) -eq 0 ]; then printf 'S%d Здравствуйте' "$1"
    else printf 'S%d hello' "$1"; fi
}
row_parts() { [ $(($1 % 5)) -eq 0 ] && echo 3 || echo 1; }
# Message n comes from 7902nnnnnnn as UCS2 text "R<n> привет"; its SMS-DELIVER into pdu.
deliver_pdu() {
    local number digits="" ud="0052" i
    number=$(printf '7902%07dF' "$1")
    for ((i = 0; i < 12; i += 2)); do digits+="${number:i+1:1}${number:i:1}"; done
    for ((i = 0; i < ${#1}; i++)); do ud+="003${1:i:1}"; done
    ud+="0020043F04400438043204350442"
    printf -v pdu '07919700111111F1040B91%s000862215041300021%02X%s' "$digits" $((${#ud} / 2)) "$ud"
}

# The modem answers each message fed through its control FIFO with one line: added or refused.
mkfifo "$work/modem.out"
"$modemsim" --link "$work/modem" --sent "$work/sent.txt" --control "$work/control" \
    --latency "$latency" > "$work/modem.out" 2>&1 &
modem_pid=$!
exec 4< "$work/modem.out"
read -r -t 10 -u 4 ready && [[ "$ready" == ready* ]] || { echo "soak: the modem did not start" >&2; exit 2; }
exec 3> "$work/control"

start_gateway() {
    "$pelorus" --headless --config "$work/Pelorus.ini" --pause-percent 10 >> "$work/gateway.out" 2>&1 &
    gateway_pid=$!
}
stop_gateway() {  # signal; the milliseconds until the exit go to stops
    local t0
    t0=$(now_ms)
    kill "-$1" "$gateway_pid" 2>/dev/null || true
    { wait "$gateway_pid" || true; } 2>/dev/null
    gateway_pid=""
    stops+=($(( $(now_ms) - t0 )))
}

# Feeding: rows and messages spread over the window, kills at random moments within it.
window_ms=$(( (messages > rows ? messages : rows) * 200 ))
[ "$window_ms" -lt 10000 ] && window_ms=10000
kill_at=()
for ((k = 0; k < kills; k++)); do kill_at+=($(( (RANDOM * 32768 + RANDOM) % window_ms ))); done
[ "$kills" -gt 0 ] && mapfile -t kill_at < <(printf '%s\n' "${kill_at[@]}" | sort -n)
next_row=1 next_msg=1 next_kill=0 stops=()
t_start=$(now_ms)
start_gateway
while :; do
    elapsed=$(( $(now_ms) - t_start ))
    [ "$elapsed" -ge "$window_ms" ] && [ "$next_row" -gt "$rows" ] && [ "$next_msg" -gt "$messages" ] &&
        [ "$next_kill" -ge "${#kill_at[@]}" ] && break
    due=$(( elapsed * rows / window_ms + 1 ))
    if [ "$next_row" -le "$rows" ] && [ "$next_row" -le "$due" ]; then
        inserts=""
        while [ "$next_row" -le "$rows" ] && [ "$next_row" -le "$due" ]; do
            inserts+="INSERT INTO Send (Number, SmsMessage) VALUES ('$(printf '7901%07d' "$next_row")', '$(row_text "$next_row")');"
            next_row=$((next_row + 1))
        done
        sql "$work/pelorus.db" "$inserts"
    fi
    if [ "$next_kill" -lt "${#kill_at[@]}" ] && [ "$elapsed" -ge "${kill_at[$next_kill]}" ]; then
        stop_gateway "$signal"
        next_kill=$((next_kill + 1))
        start_gateway
    fi
    due=$(( elapsed * messages / window_ms + 1 ))
    while [ "$next_msg" -le "$messages" ] && [ "$next_msg" -le "$due" ]; do
        storage=ME; [ $((RANDOM % 3)) -eq 0 ] && storage=SM
        deliver_pdu "$next_msg"
        echo "$storage:$pdu" >&3
        read -r -t 10 -u 4 answer || answer=""
        [[ "$answer" == added* ]] || break  # full: again later
        next_msg=$((next_msg + 1))
    done
    sleep 0.1
done

# Settle: every row has its final status and every message is stored, or the time is up: two
# minutes, and two exchanges per message and per row at the modem's latency.
settle_s=$(( 120 + (rows + messages) * 2 * latency / 1000 ))
for _ in $(seq $((settle_s * 5))); do
    waiting=$(sql "$work/pelorus.db" "SELECT COUNT(*) FROM Send WHERE Status = 1")
    stored=$(sql "$work/pelorus.db" "SELECT COUNT(DISTINCT SmsMessage) FROM Receive")
    [ "$waiting" -eq 0 ] && [ "$stored" -ge "$messages" ] && break
    sleep 0.2
done
stop_gateway TERM
unset 'stops[-1]'  # the last stop ends the soak; it is not one of the kills
# What is left in the phone goes to a probe database through one more gateway run.
"$pelorus" --headless --config "$work/probe/Pelorus.ini" --cycles 1 --pause-percent 10 > "$work/probe.out" 2>&1

# Rows: the PDUs the modem accepted, by destination and part.
awk '
    function hex(s) { return index("0123456789ABCDEF", substr(s, 1, 1)) * 16 - 16 + index("0123456789ABCDEF", substr(s, 2, 1)) - 1 }
    {
        p = toupper($0); pos = 3 + 2 * hex(substr(p, 1, 2)); fo = hex(substr(p, pos, 2)); pos += 4
        n = hex(substr(p, pos, 2)); pos += 4; digits = ""
        for (i = 0; i < n + n % 2; i += 2) digits = digits substr(p, pos + i + 1, 1) substr(p, pos + i, 1)
        pos += n + n % 2 + 4
        if (int(fo / 8) % 4 == 2) pos += 2
        pos += 2; seq = 1
        if (int(fo / 64) % 2 == 1) seq = hex(substr(p, pos + 10, 2))
        print substr(digits, 5, 7) + 0, seq
    }' "$work/sent.txt" 2>/dev/null | sort | uniq -c > "$work/parts.txt" || true
read -r rows0 rows1 rowsN < <(
    for ((n = 1; n <= rows; n++)); do echo "$n $(row_parts "$n")"; done |
    awk 'NR == FNR { count[$2 " " $3] = $1; next }
         { lo = 99; hi = 0; for (s = 1; s <= $2; s++) { c = count[$1 " " s] + 0; if (c < lo) lo = c; if (c > hi) hi = c }
           if (hi > 1) m++; else if (lo == 0) z++; else o++ }
         END { print z + 0, o + 0, m + 0 }' "$work/parts.txt" -)
# Messages: stored in the table, or still in the phone (the probe stored those).
read -r stored0 stored1 storedN lost < <(
    { sql "$work/pelorus.db" "SELECT 'T', SmsMessage FROM Receive"; sql "$work/probe.db" "SELECT 'P', SmsMessage FROM Receive"; } |
    awk -F'|' -v m="$messages" '{ split($2, w, " "); n = substr(w[1], 2) + 0; if ($1 == "T") t[n]++; else p[n]++ }
        END { for (n = 1; n <= m; n++) { if (t[n] > 1) N++; else if (t[n] == 1) o++; else { z++; if (!p[n]) l++ } }
              print z + 0, o + 0, N + 0, l + 0 }')
uncertain=$(cat "$work"/Logs/*.txt 2>/dev/null | grep -c 'Code: 106' || true)
statuses=$(sql "$work/pelorus.db" "SELECT Status || ':' || COUNT(*) FROM Send GROUP BY Status" | tr '\n' ' ')

echo "soak: seed $seed, $rows rows, $messages messages, ${#stops[@]} stops by SIG$signal, modem latency $latency ms"
echo "rows sent 0 / 1 / >1: $rows0 / $rows1 / $rowsN   (table status $statuses)"
echo "messages stored 0 / 1 / >1: $stored0 / $stored1 / $storedN"
echo "deleted unstored: $lost"
echo "uncertain: $uncertain"
if [ "${#stops[@]}" -gt 0 ]; then
    printf '%s\n' "${stops[@]}" | sort -n |
        awk '{ s += $1; v[NR] = $1 } END { printf "stop ms: median %d, max %d\n", v[int((NR + 1) / 2)], v[NR] }'
fi
[ "$rowsN" -eq 0 ] && [ "$rows0" -le "$uncertain" ] && [ "$stored0" -eq 0 ] && [ "$storedN" -eq 0 ] && [ "$lost" -eq 0 ]
