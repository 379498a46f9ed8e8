#!/usr/bin/env bash
# Start-up of the desktop program: the time from starting trussmill to its first frame on the
# screen, and its resident memory a second later, over several starts (median and range).
# Run it on a display, or inside xvfb-run. Usage: desktop_startup.sh TRUSSMILL [STARTS]
set -euo pipefail

TRUSSMILL=$1
STARTS=${2:-10}

times=()
memories=()
for ((i = 0; i < STARTS; i++)); do
    XDG_RUNTIME_DIR=$(mktemp -d)  # a lock of its own: earlier starts may still be ending
    export XDG_RUNTIME_DIR
    chmod 700 "$XDG_RUNTIME_DIR"
    log=$XDG_RUNTIME_DIR/stderr
    : >"$log"
    started=$(date +%s%N)
    TRUSSMILL_REPORT_FIRST_FRAME=1 "$TRUSSMILL" 2>"$log" &
    pid=$!
    for ((wait = 0; wait < 1000; wait++)); do
        grep -q "first frame at" "$log" && break
        sleep 0.01
    done
    frame=$(sed -n 's/^first frame at \([0-9]*\)\.\([0-9]*\)$/\1\2/p' "$log")
    [ -n "$frame" ] || { echo "no first frame reported" >&2; kill "$pid"; exit 1; }
    times+=($(((frame - started) / 1000000)))
    sleep 1
    memories+=($(awk '/^VmRSS/ { print int($2 / 1024) }' "/proc/$pid/status"))
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    rm -rf "$XDG_RUNTIME_DIR"
done

summary() {  # median, least and greatest of the arguments
    sorted=($(printf '%s\n' "$@" | sort -n))
    echo "median ${sorted[$((${#sorted[@]} / 2))]}, range ${sorted[0]}..${sorted[-1]}"
}
echo "start to first frame (ms): $(summary "${times[@]}")"
echo "resident memory 1 s after start (MB): $(summary "${memories[@]}")"
