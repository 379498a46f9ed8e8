#!/usr/bin/env bash
# Unsaved work brought back after a run that never closed, end to end (run it inside xvfb-run).
# First through trussmill-cli replay, whose runs share one --state folder the way starts of the
# program share the XDG folders: the kept copy, the question, Yes, No, a named bridge saved where
# it came from, and a copy that does not read. Then the desktop program itself: members drawn with
# xdotool, the copy on disk within two seconds, SIGKILL, a second start that asks, Return for Yes,
# the board compared pixel for pixel with the replay of the same drags, and a clean exit that
# removes the copy.
# Usage: recovery_cycle.sh TRUSSMILL TRUSSMILL_CLI EVENTS OUTPUT_FOLDER
# The replay scripts and logs, the screenshots and a difference picture are left in OUTPUT_FOLDER.
set -euo pipefail

TRUSSMILL=$1
CLI=$2
EVENTS=$3
OUT=$4

CLIENT_WIDTH=632
CLIENT_HEIGHT=436
INTRO_SECONDS=30  # the intro takes about 7 s; room for a slow machine or a sanitizer build
KEPT_WITHIN_MS=2000  # how soon after the last change the copy must be on disk
QUESTION='Trussmill was closed without saving the changes to %s. Restore them?'
CMD_FILE_SAVE=1003
CMD_FILE_SAVE_AS=1004

mkdir -p "$OUT"
rm -f "$OUT"/*.png "$OUT"/*.jsonl "$OUT"/*.replay "$OUT"/*.BRG "$OUT"/*.log
# Everything the runs keep lives under one private folder: the runtime folder with the
# single-instance lock, shared by both starts of the program (the lock of a killed process must
# not refuse the next one), the replays' state folder, and the program's XDG folders.
TEMP=$(mktemp -d)
chmod 700 "$TEMP"
XDG_RUNTIME_DIR=$TEMP/runtime
export XDG_RUNTIME_DIR
mkdir -m 700 "$XDG_RUNTIME_DIR"
env_of() {  # env_of CYCLE: the env command line that gives a run the XDG folders of the cycle
    cycle_env=(env "XDG_CONFIG_HOME=$TEMP/$1/config" "XDG_STATE_HOME=$TEMP/$1/state")
}
kept_of() {  # where cycle $1 keeps its unsaved work: the replays' --state, the program's XDG folder
    if [ "$1" = replays ]; then echo "$TEMP/replays"; else echo "$TEMP/$1/state/trussmill"; fi
}

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
    rm -rf "$TEMP"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# ---- The replay cycle

# The drags of EVENTS as replay events: press, two drags and release.
drags_as_replay() {
    while read -r verb rest; do
        [ "$verb" = drag ] || continue
        read -r x1 y1 x2 y2 <<<"$rest"
        printf 'move %d %d\npress %d %d\ndrag %d %d\ndrag %d %d\nrelease %d %d\n' \
            "$x1" "$y1" "$x1" "$y1" $(((x1 + x2) / 2)) $(((y1 + y2) / 2)) "$x2" "$y2" "$x2" "$y2"
    done <"$EVENTS"
}

# Replays $OUT/$2.replay as a start of cycle $1, into $OUT/$2.png and $OUT/$2.jsonl.
replay() {
    "$CLI" replay "$OUT/$2.replay" --state "$(kept_of "$1")" --png "$OUT/$2.png" --log "$OUT/$2.jsonl" ||
        fail "the replay $2 failed"
}
# The first message box of a replay's log, and its last line, without the ticks.
first_box() { grep -m 1 '"kind":"messageBox"' "$OUT/$1.jsonl" | sed 's/^{"t":[0-9]*,/{/' || true; }
last_line() { tail -n 1 "$OUT/$1.jsonl" | sed 's/^{"t":[0-9]*,/{/; s/"mode":[0-9]*,//'; }
question_box() {  # the recovery question about bridge $1, answered $2
    printf '{"kind":"messageBox","caption":" ","text":"%s","buttons":"yesno","answer":"%s"}' \
        "${QUESTION/\%s/$1}" "$2"
}
expect() {  # expect WHAT ACTUAL EXPECTED
    [ "$2" = "$3" ] || fail "$1: got [$2], expected [$3]"
}
expect_kept() {  # expect_kept CYCLE FILES WHEN: which files of the copy of unsaved work are there
    local file found=""
    for file in recovery.BRG recovery.info; do [ -e "$(kept_of "$1")/$file" ] && found+=" $file"; done
    expect "the copy of unsaved work $3" "${found# }" "$2"
}
same_picture() {  # same_picture A B: prints how many pixels differ
    compare -metric AE "$1" "$2" "$OUT/difference.png" 2>&1 || true
}

# 1. Drawn and left without Exit: the copy is on disk, and names the untitled bridge.
drags_as_replay >"$OUT/drawn.replay"
replay replays drawn
expect_kept replays "recovery.BRG recovery.info" "after a run that never closed"
expect "the kept name and path" "$(cat "$(kept_of replays)/recovery.info")" UNTITLED
cp "$(kept_of replays)/recovery.BRG" "$OUT/drawn.BRG"

# 2. The next start asks; Yes brings back the same board, unsaved.
echo 'answer yes' >"$OUT/restored.replay"
replay replays restored
expect "the first box after a run that never closed" "$(first_box restored)" "$(question_box UNTITLED yes)"
expect "the end of the restored run" "$(last_line restored)" '{"kind":"end","savedFlag":0,"name":"UNTITLED"}'
differing=$(same_picture "$OUT/restored.png" "$OUT/drawn.png")
expect "pixels of the restored board that differ from the drawn one" "$differing" 0

# 3. No discards the copy.
echo 'answer no' >"$OUT/declined.replay"
replay replays declined
expect "the box answered No" "$(first_box declined)" "$(question_box UNTITLED no)"
expect_kept replays "" "after No"
# The start after that asks nothing; it saves a bridge as TRUSS1 and changes it again.
printf 'choose %s\ncommand %d\n' "$TEMP/TRUSS1.BRG" $CMD_FILE_SAVE_AS >"$OUT/named.replay"
drags_as_replay | sed -n 1,5p >>"$OUT/named.replay"
replay replays named
expect "the box after No" "$(first_box named)" ""
expect "the end of the named run" "$(last_line named)" '{"kind":"end","savedFlag":0,"name":"TRUSS1"}'
cp "$(kept_of replays)/recovery.BRG" "$OUT/named.BRG"

# 4. The name and the path come back: Save writes the file it came from without asking, and the
# copy goes.
echo "command $CMD_FILE_SAVE" >"$OUT/saved.replay"  # the question takes its default, Yes
replay replays saved
expect "the first box of the named bridge" "$(first_box saved)" "$(question_box TRUSS1 yes)"
grep -q '"kind":"fileDialog"' "$OUT/saved.jsonl" && fail "Save asked for a name: the path was not restored"
expect "the end of the saved run" "$(last_line saved)" '{"kind":"end","savedFlag":1,"name":"TRUSS1"}'
cmp -s "$TEMP/TRUSS1.BRG" "$OUT/named.BRG" || fail "the saved file is not the restored bridge"
expect_kept replays "" "after Save"

# 5. A copy that does not read is dropped without a question.
mkdir -p "$(kept_of replays)"
echo garbage >"$(kept_of replays)/recovery.BRG"
printf 'TRUSS1\n\n' >"$(kept_of replays)/recovery.info"
: >"$OUT/unreadable.replay"
replay replays unreadable
expect "the box about an unreadable copy" "$(first_box unreadable)" ""
expect_kept replays "" "after an unreadable one"
echo "the replay cycle passed"

# ---- The desktop program, killed

# The first window of a process, once it is mapped.
window_of() {
    timeout 20 xdotool search --sync --onlyvisible --pid "$1" 2>/dev/null | head -n 1
}
# A mapped window of process $1 other than the windows listed after it, within INTRO_SECONDS.
another_window_of() {
    local pid=$1 deadline=$((SECONDS + INTRO_SECONDS)) w
    shift
    while [ "$SECONDS" -lt "$deadline" ]; do
        for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
            [[ " $* " == *" $w "* ]] || { echo "$w"; return 0; }
        done
        sleep 0.2
    done
    return 1
}
# Waits up to $3 seconds for the client area of window $1 (the bottom of the window, under the
# menu bar) to equal the picture $2; differing says by how many pixels it does not.
differing=
client_shows() {
    local deadline=$((SECONDS + $3))
    while :; do
        import -window "$1" "$OUT/window.png"
        convert "$OUT/window.png" -gravity SouthWest -crop "${CLIENT_WIDTH}x${CLIENT_HEIGHT}+0+0" \
            +repage "$OUT/client.png"
        differing=$(same_picture "$OUT/client.png" "$2")
        [ "$differing" = 0 ] && return 0
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.3
    done
}
milliseconds() { echo $(($(date +%s%N) / 1000000)); }

desktop=$(kept_of desktop)
env_of desktop
"${cycle_env[@]}" "$TRUSSMILL" 2>"$OUT/killed.log" &
killed=$!
pids+=("$killed")
window=$(window_of "$killed") || true
[ -n "$window" ] || fail "trussmill showed no window"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq "$CLIENT_WIDTH" ] || fail "the window is $WIDTH pixels wide, not $CLIENT_WIDTH"
menu_height=$((HEIGHT - CLIENT_HEIGHT))
xdotool windowfocus --sync "$window"
# The intro is over once the board is the empty one (the unreadable copy's run ended on it).
client_shows "$window" "$OUT/unreadable.png" "$INTRO_SECONDS" ||
    fail "the intro did not end on the empty board ($differing pixels differ)"

while read -r verb rest; do
    [ "$verb" = drag ] || continue
    read -r x1 y1 x2 y2 <<<"$rest"
    xdotool mousemove --window "$window" "$x1" $((y1 + menu_height)) mousedown 1 \
        mousemove --window "$window" $(((x1 + x2) / 2)) $(((y1 + y2) / 2 + menu_height)) \
        mousemove --window "$window" "$x2" $((y2 + menu_height)) mouseup 1
done <"$EVENTS"
last_change=$(milliseconds)
until cmp -s "$desktop/recovery.BRG" "$OUT/drawn.BRG" 2>/dev/null && [ -e "$desktop/recovery.info" ]; do
    if [ $(($(milliseconds) - last_change)) -gt "$KEPT_WITHIN_MS" ]; then
        cp "$desktop/recovery.BRG" "$OUT/killed.BRG" 2>/dev/null || true
        fail "the drawn bridge was not on disk $KEPT_WITHIN_MS ms after the last drag (any copy: $OUT/killed.BRG)"
    fi
    sleep 0.05
done
echo "the copy was on disk $(($(milliseconds) - last_change)) ms after the last drag"
cp "$desktop/recovery.BRG" "$OUT/killed.BRG"
kill -9 "$killed"
wait "$killed" 2>/dev/null || true

# The second start: the main window (not the notice that another copy runs), then the question.
"${cycle_env[@]}" "$TRUSSMILL" 2>"$OUT/restarted.log" &
restarted=$!
pids+=("$restarted")
window=$(window_of "$restarted") || true
[ -n "$window" ] || fail "the start after the kill showed no window"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq "$CLIENT_WIDTH" ] || fail "the start after the kill was refused (the lock outlived the process?)"
box=$(another_window_of "$restarted" "$window") || fail "the start after the kill asked nothing"
expect "the question's caption" "$(xdotool getwindowname "$box")" " "
import -window "$box" "$OUT/question.png"
xdotool windowfocus --sync "$box" key Return
client_shows "$window" "$OUT/drawn.png" 10 ||
    fail "the restored board differs from the drawn one in $differing pixels (see $OUT/difference.png)"
echo "Yes brought back the board of the killed run"

# A clean exit: Exit, Yes to leaving the changes, then the notice; the copy goes with it.
xdotool windowfocus --sync "$window" key ctrl+q
box=$(another_window_of "$restarted" "$window") || fail "Exit did not ask about the unsaved changes"
xdotool windowfocus --sync "$box" key alt+y
notice=$(another_window_of "$restarted" "$window" "$box") || fail "Exit showed no notice"
xdotool windowfocus --sync "$notice" key Return
timeout 10 tail --pid="$restarted" -f /dev/null || fail "the program did not end after Exit"
status=0
wait "$restarted" || status=$?
expect "the exit status" "$status" 0
expect_kept desktop "" "after Exit"
echo "a clean exit removed the copy"
