#!/usr/bin/env bash
# gammu and gnokii, as Debian ships them, drive the virtual modem: identify, list all, read one,
# delete one, send one (the PDU the modem took must decode to the text sent). Any step that
# fails fails the run. Config files, logs and HOME live in a scratch folder; the modem stops at
# exit. PELORUS_MODEM_OPTIONS adds modem options (e.g. "--profile cr-cr-lf") to try the clients
# against a profile by hand.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${PELORUS_BUILD_DIR:-$root/build}"
sim="$build/tools/pelorus-modemsim/pelorus-modemsim"
pdu="$build/tools/pelorus-pdu/pelorus-pdu"
# Short: gnokii cuts its port name at 31 characters.
work="$(mktemp -d /tmp/pcl-XXXXXX)"
modem_pid=""

stop_modem() {
    if [ -n "$modem_pid" ]; then
        kill "$modem_pid" 2>/dev/null || true
        wait "$modem_pid" 2>/dev/null || true
    fi
    modem_pid=""
}
trap 'stop_modem; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache"
mkdir -p "$XDG_CACHE_HOME/gnokii" "$XDG_CONFIG_HOME"

# Three messages on the SIM (replies.tsv: gammu at-sms/07.dump, python-gsmmodem
# initFakeModemResponses AT+CMGR=0, gammu at-sms/11.dump).
cat >"$work/inbox" <<'PDUS'
SM:0791534850020200040C9153486507895500006090608164138004D4F29C0E
SM:07917248014000F3240B917247587706F400003110824115248012C8329BFD06C9C373B8B82C97E741F034
SM:07912374151616F6040B912374786468F300002010031220324036541D149D66A7E16180FA3D47D7C32E7459FE76BBDC653A68AEA397E774503B9C66BB46CAFA9C0E42BFE169F7D9E57201
PDUS
texts=("Test" "Hello raspberry pi" "T:Philipa@joshua.heron.net")

fail() {
    echo "after-clients: $client: $*" >&2
    exit 1
}

# Waits (5 s at most) for a line starting with $1 in the modem's output after its first $2
# lines; prints it.
modem_says() {
    for _ in $(seq 50); do
        if tail -n +"$((${2:-0} + 1))" "$work/modem.out" | grep -a -m1 "^$1"; then return 0; fi
        sleep 0.1
    done
    return 1
}

start_modem() {
    stop_modem
    rm -f "$work/sent" "$work/modem.out"
    "$sim" --link "$work/modem" --inbox "$work/inbox" --sent "$work/sent" \
        --control "$work/control" ${PELORUS_MODEM_OPTIONS:-} >"$work/modem.out" &
    modem_pid=$!
    modem_says ready >/dev/null || fail "the virtual modem did not start"
}

# How many messages the modem holds.
stored() {
    local seen
    seen="$(wc -l <"$work/modem.out")"
    echo count >"$work/control"
    modem_says stored "$seen" | awk '{ n = 0; for (i = 3; i <= NF; i += 2) n += $i; print n }'
}

# run STEP: the client's command for the step (30 s at most) into $work/out; fails on failure.
run() {
    step="$1"
    local cmd=() input=""
    "${client}_command" "$step"
    timeout 30 "${cmd[@]}" <<<"$input" >"$work/out" 2>"$work/err" || {
        cat "$work/out" "$work/err" >&2
        fail "$step failed"
    }
}

expect_texts() {
    for t in "$@"; do
        grep -qF "$t" "$work/out" || { cat "$work/out" >&2; fail "$step: \"$t\" not shown"; }
    done
}

expect_sent() {
    local text="$1"
    [ -s "$work/sent" ] || fail "send: the modem took no PDU"
    "$pdu" decode "$(tail -n 1 "$work/sent")" | grep -qF "\"text\":\"$text\"" ||
        fail "send: the PDU taken does not decode to \"$text\""
}

check() {
    local before
    run identify
    expect_texts Pelorus ModemSim 356938035643809
    run list
    expect_texts "${texts[@]}"
    run read
    expect_texts "${texts[1]}"
    before="$(stored)"
    run delete
    [ "$(stored)" = "$((before - 1))" ] || fail "delete: the modem still holds $before messages"
    run send
    expect_sent "Hello from $client"
    echo "after-clients: $client identified, listed, read, deleted and sent through the modem"
}

# Sets cmd (and input) for a step. Gammu's folder 1 is the SIM's inbox.
gammu_command() {
    local config="$work/gammurc"
    printf '[gammu]\ndevice = %s\nconnection = at\n' "$work/modem" >"$config"
    case "$1" in
        identify) cmd=(gammu -c "$config" identify) ;;
        list) cmd=(gammu -c "$config" getallsms) ;;
        read) cmd=(gammu -c "$config" getsms 1 2) ;;
        delete) cmd=(gammu -c "$config" deletesms 1 1) ;;
        send) cmd=(gammu -c "$config" sendsms TEXT +79005550001 -text "Hello from gammu") ;;
    esac
}

gnokii_command() {
    local config="$work/gnokiirc"
    printf '[global]\nport = %s\nmodel = AT\nconnection = serial\n[logging]\ndebug = off\n' \
        "$work/modem" >"$config"
    case "$1" in
        identify) cmd=(gnokii --config "$config" --identify) ;;
        list) cmd=(gnokii --config "$config" --getsms SM 1 end) ;;
        read) cmd=(gnokii --config "$config" --getsms SM 2) ;;
        delete) cmd=(gnokii --config "$config" --deletesms SM 1) ;;
        send) cmd=(gnokii --config "$config" --sendsms +79005550002) input="Hello from gnokii" ;;
    esac
}

for client in ${CLIENTS:-gammu gnokii}; do
    command -v "$client" >/dev/null || fail "not installed (scripts/packages.d/clients.txt)"
    start_modem
    check
done
