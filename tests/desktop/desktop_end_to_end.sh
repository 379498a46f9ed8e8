#!/usr/bin/env bash
# The desktop program end to end on an X display (run it inside xvfb-run): starts trussmill, plays
# a session of mouse drags and keys to it with xdotool, waits for its intro to end and its work
# to settle, and compares a screenshot of the client area pixel for pixel with the reference
# picture of the same session. Then, when CHECK_SECOND_START is 1, a second start must show its
# notice and end with status 0.
# Usage: desktop_end_to_end.sh TRUSSMILL TRUSSMILL_CLI EVENTS OUTPUT_FOLDER
# The screenshots, the reference and a difference picture are left in OUTPUT_FOLDER.
set -euo pipefail

TRUSSMILL=$1
CLI=$2
EVENTS=$3
OUT=$4

# The reference picture: the same session replayed by the program on the command-line tool's
# headless shell. Drags become press, move and release events there; the lines of the session that
# start with "replay:" say what its keys and dialogs amount to (commands and answers).
make_replay_script() {
    while read -r verb rest; do
        case "$verb" in
            drag)
                read -r x1 y1 x2 y2 <<<"$rest"
                printf 'move %d %d\npress %d %d\ndrag %d %d\ndrag %d %d\nrelease %d %d\n' \
                    "$x1" "$y1" "$x1" "$y1" $(((x1 + x2) / 2)) $(((y1 + y2) / 2)) "$x2" "$y2" "$x2" "$y2"
                ;;
            replay:) echo "$rest" ;;
        esac
    done <"$EVENTS"
}

# 1: a second start must refuse to run, showing the notice, and end with status 0.
CHECK_SECOND_START=${CHECK_SECOND_START:-1}

CLIENT_WIDTH=632
CLIENT_HEIGHT=436
SETTLE_SECONDS=40  # covers the intro (about 7 s) and a Calculate, with room for a slow machine

mkdir -p "$OUT"
rm -f "$OUT"/*.png "$OUT"/*.log
# A runtime folder of its own: the single-instance lock of another run cannot interfere. The replay
# and the program each keep their configuration and unsaved work in folders of their own.
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
chmod 700 "$XDG_RUNTIME_DIR"
private_home() {  # the XDG folders of one process under $XDG_RUNTIME_DIR/$1
    echo "XDG_CONFIG_HOME=$XDG_RUNTIME_DIR/$1/config XDG_STATE_HOME=$XDG_RUNTIME_DIR/$1/state"
}

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$XDG_RUNTIME_DIR"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The first window of a process, once it is mapped.
window_of() {
    timeout 20 xdotool search --sync --onlyvisible --pid "$1" 2>/dev/null | head -n 1
}

# The client area of window $1 into $2: the bottom CLIENT_WIDTH x CLIENT_HEIGHT of the window,
# under the menu bar.
shoot_client() {
    import -window "$1" "$OUT/window.png"
    convert "$OUT/window.png" -gravity SouthWest -crop "${CLIENT_WIDTH}x${CLIENT_HEIGHT}+0+0" +repage "$2"
}

make_replay_script >"$OUT/session.replay"
env $(private_home replay) "$CLI" replay "$OUT/session.replay" --png "$OUT/reference.png" \
    --log "$OUT/reference.jsonl" || fail "the replay of the session failed"

env $(private_home program) "$TRUSSMILL" 2>"$OUT/trussmill.log" &
pids+=($!)
first=$!
window=$(window_of "$first") || true
[ -n "$window" ] || fail "trussmill showed no window"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq "$CLIENT_WIDTH" ] || fail "the window is $WIDTH pixels wide, not $CLIENT_WIDTH"
menu_height=$((HEIGHT - CLIENT_HEIGHT))
xdotool windowfocus --sync "$window"
import -window "$window" "$OUT/started.png"

# The session, as fast as xdotool sends it: the program holds input that arrives during its intro
# and delivers it afterwards, in order.
at() {  # a client-area point as xdotool's window-relative mouse position
    echo "$1 $(($2 + menu_height))"
}
while read -r verb rest; do
    case "$verb" in
        '' | '#'*) ;;
        drag)
            read -r x1 y1 x2 y2 <<<"$rest"
            # shellcheck disable=SC2046
            xdotool mousemove --window "$window" $(at "$x1" "$y1") mousedown 1 \
                mousemove --window "$window" $(at $(((x1 + x2) / 2)) $(((y1 + y2) / 2))) \
                mousemove --window "$window" $(at "$x2" "$y2") mouseup 1
            ;;
        keys)
            for key in $rest; do xdotool key --delay 50 "$key"; done
            ;;
        sleep)  # lets the program catch up, e.g. until a dialog is open to take the next key
            sleep "$rest"
            ;;
        replay:) ;;
        *) fail "unknown event line: $verb $rest" ;;
    esac
done <"$EVENTS"

# Wait until the client area equals the reference, or give up after SETTLE_SECONDS.
deadline=$((SECONDS + SETTLE_SECONDS))
while :; do
    shoot_client "$window" "$OUT/client.png"
    differing=$(compare -metric AE "$OUT/client.png" "$OUT/reference.png" "$OUT/difference.png" 2>&1 || true)
    [ "$differing" = "0" ] && break
    [ "$SECONDS" -lt "$deadline" ] || fail "$differing pixels differ from the reference (see $OUT/difference.png)"
    sleep 0.5
done
echo "client area equals the reference"

# The member table and a member's chart, opened as a user opens them: Display / Member Table from
# the keyboard, two rows down in the table (the board must select member 3, as the replay of the
# same does), then a double click on a row, whose chart must equal the forces command's.
xdotool windowfocus --sync "$window" key alt+d
sleep 0.5
xdotool key Up Up Return
table=$(timeout 20 xdotool search --sync --onlyvisible --name "^Members of" | head -n 1) || true
[ -n "$table" ] || fail "Display / Member Table showed no table"
xdotool windowfocus --sync "$table" key Down Down
# The replay also saves the bridge, under the name the program shows, for the forces command.
mkdir -p "$OUT/saved"
printf 'command 9042\ntable select 3\npng %s\nchoose %s\ncommand 1004\n' "$OUT/table-reference.png" \
    "$OUT/saved/UNTITLED.BRG" | cat "$OUT/session.replay" - >"$OUT/table.replay"
env $(private_home replay) "$CLI" replay "$OUT/table.replay" || fail "the replay of the table session failed"
deadline=$((SECONDS + 10))
until shoot_client "$window" "$OUT/table-client.png" &&
    [ "$(compare -metric AE "$OUT/table-client.png" "$OUT/table-reference.png" null: 2>&1)" = "0" ]; do
    [ "$SECONDS" -lt "$deadline" ] || fail "a row chosen in the table did not select its member on the board"
    sleep 0.5
done
import -window "$table" "$OUT/table.png"
xdotool mousemove --window "$table" 40 60 click --repeat 2 --delay 60 1
chart=$(timeout 20 xdotool search --sync --onlyvisible --name "^Member [0-9]+ of" | head -n 1) || true
[ -n "$chart" ] || fail "a double click on a row showed no chart"
member=$(xdotool getwindowname "$chart" | sed -E 's/^Member ([0-9]+) of.*/\1/')
"$CLI" forces "$OUT/saved/UNTITLED.BRG" "$OUT/chart-reference.png" --member "$member" ||
    fail "the forces command failed"
import -window "$chart" "$OUT/chart.png"
differing=$(compare -metric AE "$OUT/chart.png" "$OUT/chart-reference.png" "$OUT/chart-difference.png" 2>&1 || true)
[ "$differing" = "0" ] || fail "member $member's chart differs from the forces command's in $differing pixels"
echo "the member table selects members and shows member $member's chart"

if [ "$CHECK_SECOND_START" = "1" ]; then
    env $(private_home program) TRUSSMILL_LOG_MESSAGE_BOXES=1 "$TRUSSMILL" 2>"$OUT/second.log" &
    second=$!
    pids+=($second)
    box=$(window_of "$second") || true
    [ -n "$box" ] || fail "the second start showed nothing"
    import -window "$box" "$OUT/second_start.png"
    xdotool windowfocus --sync "$box" key Return
    status=0
    timeout 10 tail --pid="$second" -f /dev/null || fail "the second start did not end"
    wait "$second" || status=$?
    [ "$status" -eq 0 ] || fail "the second start ended with status $status"
    kill -0 "$first" || fail "the first copy ended too"
    # The box that closed was the notice, and the only box shown.
    boxes=$(grep '^message box: ' "$OUT/second.log" || true)
    [ "$boxes" = "message box: The Program is already running. Restore from icon." ] ||
        fail "the second start showed: ${boxes:-no message box}"
    echo "a second start is refused"
fi
