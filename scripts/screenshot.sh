#!/usr/bin/env bash
# Takes docs/screenshot.png: the main window on a virtual X display, running against the virtual
# modem and a SQLite database, after its first cycle. The modem refuses to delete (every AT+CMGD)
# and the second send, so both lists show messages still in progress and the phone lamps their
# alarm. Everything runs in build/screenshot/, made afresh; nothing is left running.
# Options: --out FILE (default docs/screenshot.png), --no-build (use build/ as it is).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
out="$root/docs/screenshot.png"
build=1
while [ $# -gt 0 ]; do
    case "$1" in
        --out) out="$(realpath -m "$2")"; shift 2 ;;
        --no-build) build=0; shift ;;
        *) echo "usage: $0 [--out FILE] [--no-build]"; exit 2 ;;
    esac
done
if [ "$build" = 1 ]; then
    bash scripts/install-deps.sh
    bash scripts/build.sh
fi

source scripts/lib/demo-env.sh
run="$root/build/screenshot"
demo_prepare "$run"
# A period long enough to catch the countdown after the first cycle.
sed -i 's/^Period=.*/Period=8/' "$run/Pelorus.ini"
sqlite3 "$run/pelorus.db" <<'SQL'
INSERT INTO Send (Number, SmsMessage) VALUES ('+79001234567', 'Hello from Pelorus');
INSERT INTO Send (Number, SmsMessage) VALUES ('+79007654321', 'Привет из шлюза Pelorus');
INSERT INTO Send (Number, SmsMessage) VALUES ('+79005550101', 'Your code: 4711');
SQL

demo_start_modem "$run" --fail CMGD --fail CMGS:2

# A free display number of our own.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$run/xvfb.out" 2>&1 &
demo_track $!
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
done

(cd "$run" && DISPLAY=":$display" QT_QPA_PLATFORM=xcb exec "$pelorus" --config Pelorus.ini \
    --start >"$run/pelorus.out" 2>&1) &
demo_track $!
# The first cycle has written its results back once rows leave Status 1; the grab comes in the
# countdown that follows.
for _ in $(seq 300); do
    done_rows="$(sqlite3 "$run/pelorus.db" 'SELECT count(*) FROM Send WHERE Status <> 1' 2>/dev/null || echo 0)"
    [ "$done_rows" -ge 2 ] && break
    sleep 0.1
done
[ "$done_rows" -ge 2 ] || { echo "the first cycle did not finish; see $run/"; exit 1; }
sleep 2

mkdir -p "$(dirname "$out")"
xwd -display ":$display" -name Pelorus -silent | xwdtopnm 2>/dev/null | pnmtopng >"$out"
echo "Saved $out"
