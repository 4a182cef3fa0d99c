#!/usr/bin/env bash
# The Debian package as an operator meets it: build it, install it with apt, check the version and
# the unit, make a fresh SQLite database with --init-db, run one headless cycle against the virtual
# modem (one message in, one row out), then purge it and check that nothing is left. Needs root.
set -euo pipefail
cd "$(dirname "$0")/../.."
root="$(pwd)"
fail() {
    echo "after-package: $*" >&2
    exit 1
}

deb="$(bash scripts/package.sh --no-build)"
work="$(mktemp -d)"
modem_pid=""
cleanup() {
    [ -z "$modem_pid" ] || { kill "$modem_pid" 2>/dev/null || true; wait "$modem_pid" 2>/dev/null || true; }
    rm -rf "$work"
    rm -f /etc/pelorus/check.ini
    if dpkg -s pelorus >/dev/null 2>&1; then apt-get purge -y -q pelorus >/dev/null || true; fi
}
trap cleanup EXIT

cp "$deb" "$work/"
(cd "$work" && apt-get install -y -q "./$(basename "$deb")") >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get install failed"; }

version="$(sed -n 's/^project(Pelorus VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
[ "$(pelorus --version)" = "pelorus $version" ] || fail "pelorus --version printed '$(pelorus --version)'"
dpkg-query -W -f='${Conffiles}\n' pelorus | grep -q '/etc/pelorus/Pelorus.ini' ||
    fail "Pelorus.ini is not a conffile"
id -nG pelorus | grep -qw dialout || fail "the user pelorus is not in dialout"
[ -e /usr/share/pelorus/sql/sqlite.sql ] || fail "the schemas are missing"
if command -v systemd-analyze >/dev/null; then
    systemd-analyze verify /lib/systemd/system/pelorus.service || fail "the unit does not verify"
    systemd-analyze verify /lib/systemd/system/pelorus@.service || fail "the template unit does not verify"
fi


# The installed settings with a fresh database, the virtual modem and logs in the scratch folder.
sed -e "s|^DbName=.*|DbName=$work/pelorus.db|" -e "s|^ComPort=.*|ComPort=$work/modem|" \
    -e "s|^Logs=.*|Logs=$work/Logs|" -e "s|^Period=.*|Period=1|" /etc/pelorus/Pelorus.ini \
    >"$work/Pelorus.ini"
mkdir -p "$work/Logs"
pelorus --init-db --config "$work/Pelorus.ini" || fail "pelorus --init-db failed"
sqlite3 "$work/pelorus.db" "INSERT INTO Send (Number, SmsMessage) VALUES ('+79001234567', 'package check');" ||
    fail "--init-db made no Send table"
head -n 1 demo/inbox.txt >"$work/inbox.txt"

pelorus-modemsim --link "$work/modem" --inbox "$work/inbox.txt" --sent "$work/sent.txt" \
    >"$work/modemsim.out" 2>&1 &
modem_pid=$!
for _ in $(seq 50); do
    grep -q '^ready' "$work/modemsim.out" && break
    sleep 0.1
done
grep -q '^ready' "$work/modemsim.out" || fail "the virtual modem did not start"

timeout 60 pelorus --headless --cycles 1 --pause-percent 10 --config "$work/Pelorus.ini" \
    >"$work/headless.out" 2>&1 || { cat "$work/headless.out"; fail "the headless cycle failed"; }
[ "$(sqlite3 "$work/pelorus.db" 'SELECT Status FROM Send')" = 2 ] ||
    { cat "$work/headless.out"; fail "the row was not sent"; }
[ "$(sqlite3 "$work/pelorus.db" 'SELECT COUNT(*) FROM Receive')" = 1 ] ||
    { cat "$work/headless.out"; fail "the message was not received"; }

# The instance pelorus@check as its unit starts it: the settings /etc/pelorus/check.ini, the state
# folder (made by systemd from StateDirectory) holding its journal.
unit=/lib/systemd/system/pelorus@.service
grep -qx 'StateDirectory=pelorus/%i' "$unit" || fail "pelorus@.service has no state folder of its own"
cp "$work/Pelorus.ini" /etc/pelorus/check.ini
install -d /var/lib/pelorus/check
$(sed -n 's/^ExecStartPre=//p' "$unit" | sed 's/%i/check/g') || fail "pelorus@check's ExecStartPre failed"
sqlite3 "$work/pelorus.db" "INSERT INTO Send (Number, SmsMessage) VALUES ('+79001234567', 'instance check');"
timeout 60 $(sed -n 's/^ExecStart=//p' "$unit" | sed 's/%i/check/g') --cycles 1 --pause-percent 10 \
    >"$work/instance.out" 2>&1 || { cat "$work/instance.out"; fail "pelorus@check's cycle failed"; }
[ "$(sqlite3 "$work/pelorus.db" "SELECT Status FROM Send WHERE SmsMessage = 'instance check'")" = 2 ] ||
    { cat "$work/instance.out"; fail "pelorus@check did not send its row"; }
[ -e /var/lib/pelorus/check/Pelorus.journal ] || fail "pelorus@check's journal is not in its state folder"
rm /etc/pelorus/check.ini

apt-get purge -y -q pelorus >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "purge failed"; }
for left in /usr/bin/pelorus /etc/pelorus /var/lib/pelorus /lib/systemd/system/pelorus.service \
    /lib/systemd/system/pelorus@.service; do
    [ ! -e "$left" ] || fail "$left is left after purge"
done
! getent passwd pelorus >/dev/null || fail "the user pelorus is left after purge"
echo "after-package: $(basename "$deb") installs, runs a cycle and purges cleanly"
