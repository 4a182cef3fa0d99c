# Shared by the demo and the screenshot: a fresh run folder with the demo settings, the inbox and a
# SQLite database, and the background processes that must not outlive the script.
# Source it after `cd` to the repository root; it defines:
#   demo_prepare RUN           make RUN afresh: Pelorus.ini, inbox.txt, pelorus.db from sql/sqlite.sql
#   demo_start_modem RUN ARGS  start pelorus-modemsim on RUN/modem (extra ARGS), wait until ready
#   demo_track PID             stop PID when the script exits (last started, first stopped)
#   demo_stop_all              stop everything tracked now
pelorus="$(pwd)/build/tools/pelorus/pelorus"
modemsim="$(pwd)/build/tools/pelorus-modemsim/pelorus-modemsim"
demo_pids=()

demo_track() { demo_pids+=("$1"); }

demo_stop_all() {
    for ((i = ${#demo_pids[@]} - 1; i >= 0; i--)); do
        kill -TERM "${demo_pids[i]}" 2>/dev/null || true
        wait "${demo_pids[i]}" 2>/dev/null || true
    done
    demo_pids=()
}
trap demo_stop_all EXIT

demo_wait_for() {  # file, pattern
    for _ in $(seq 50); do
        grep -q "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    echo "gave up waiting for '$2' in $1"
    return 1
}

demo_prepare() {
    local run="$1"
    rm -rf "$run"
    mkdir -p "$run"
    cp demo/Pelorus.ini demo/inbox.txt "$run/"
    sqlite3 "$run/pelorus.db" < sql/sqlite.sql
}

demo_start_modem() {
    local run="$1"
    shift
    "$modemsim" --link "$run/modem" --inbox "$run/inbox.txt" --sent "$run/sent.txt" "$@" \
        >"$run/modemsim.out" 2>&1 &
    demo_track $!
    demo_wait_for "$run/modemsim.out" '^ready' || { echo "the virtual modem did not start"; return 1; }
}
