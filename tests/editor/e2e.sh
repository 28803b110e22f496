#!/usr/bin/env bash
# End to end: the real editor on a virtual X display, driven with xdotool like a
# user: two nodes placed by clicking, joined by a right click, the edge selected,
# then the screen's pixels checked (the selected node black, the selected edge red).
# Then the editor's file-size limit is set to 0 (prlimit), so File, Save over an
# existing file must fail: an error box, the old file and the graph on the screen
# kept, no temporary file left. Then three more nodes and an edge, two steps undone and
# one redone by the keys, a zoom by the wheel and a node placed in the zoomed view; the
# graph saved through the save dialog and the file's positions and edges checked with
# stmtool. Last the editor is closed through File, Exit.
#
#   e2e.sh GRAPHEDITOR [SCREENSHOT.png]      stmtool is looked for beside GRAPHEDITOR
#
# Exits 77 (skipped) only when Xvfb is not installed; every other missing piece fails.
set -euo pipefail

editor=${1:?usage: e2e.sh GRAPHEDITOR [SCREENSHOT.png]}
keep_shot=${2:-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

if ! command -v Xvfb >/dev/null; then
    echo "SKIP: Xvfb is not installed (scripts/install-deps installs it)"
    exit 77
fi
stmtool=$(dirname "$editor")/stmtool
[[ -x $stmtool ]] || { echo "FAIL: no stmtool beside $editor" >&2; exit 1; }
for tool in xdotool import convert prlimit; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=
editor_pid=
cleanup() {
    [[ -n $editor_pid ]] && kill "$editor_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for log in "$work"/*.log; do
        [[ -s $log ]] && { echo "--- $(basename "$log")"; cat "$log"; } >&2
    done
    exit 1
}

# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1200x24 -nolisten tcp 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start"
    sleep 0.1
done
[[ -s $work/display ]] || fail "Xvfb gave no display within 10 s"
export DISPLAY=:$(head -n1 "$work/display")

# Qt's own caches live until exit; leaks in our code still fail the run.
export LSAN_OPTIONS=suppressions=$here/lsan.supp
QT_QPA_PLATFORM=xcb "$editor" >"$work/editor.log" 2>&1 &
editor_pid=$!

win=$(timeout 30 xdotool search --sync --onlyvisible --name '^GraphForm$' | head -n1) ||
    fail "no window named GraphForm within 30 s"
eval "$(xdotool getwindowgeometry --shell "$win")"  # X, Y of the window on the screen
win_x=$X
win_y=$Y

# click X Y BUTTON: a press and release at (X, Y) of the window.
click() {
    xdotool mousemove --sync "$((win_x + $1))" "$((win_y + $2))" click "$3"
    sleep 0.2
}
# pixel X Y: the colour at (X, Y) of the window in the last screenshot, as RRGGBB.
pixel() {
    convert "$work/shot.png" -format "%[hex:p{$((win_x + $1)),$((win_y + $2))}]" info: |
        cut -c1-6
}
# shows_within SECONDS X,Y,RRGGBB...: screenshots until each point has its colour
# (!RRGGBB: any other colour).
shows_within() {
    local deadline=$((SECONDS + $1)) point x y colour ok
    shift
    while :; do
        import -window root "$work/shot.png" || fail "no screenshot"
        ok=1
        for point in "$@"; do
            IFS=, read -r x y colour <<<"$point"
            if [[ $colour == !* ]]; then
                [[ $(pixel "$x" "$y") != "${colour#!}" ]] || { ok=0; break; }
            else
                [[ $(pixel "$x" "$y") == "$colour" ]] || { ok=0; break; }
            fi
        done
        ((ok)) && return 0
        ((SECONDS < deadline)) || return 1
        sleep 0.3
    done
}

# Clicks count only once the window is on the screen, painted over the black root.
shows_within 30 '250,250,!000000' || fail "the window was not painted: $(pixel 250 250)"

# Both nodes in the graph panel on one row, well below the menu bar.
click 150 250 1    # node A
click 350 250 1    # node B
click 150 250 1    # select A
click 350 250 3    # edge A -> B
click 250 253 1    # select the edge, near its line
click 350 250 1    # select B; the edge stays selected
shows_within 30 350,245,000000 150,245,FFFFFF 200,250,FF0000 ||
    fail "want B black, A white, the edge red; found $(pixel 350 245)," \
         "$(pixel 150 245), $(pixel 200 250)"
[[ -n $keep_shot ]] && cp "$work/shot.png" "$keep_shot"

# windows [NAME]: how many windows of the editor show (named as the pattern NAME says).
windows() {
    if [[ -n ${1:-} ]]; then
        xdotool search --all --onlyvisible --pid "$editor_pid" --name "$1" 2>/dev/null | wc -l
    else
        xdotool search --onlyvisible --pid "$editor_pid" 2>/dev/null | wc -l
    fi
}
# await COUNT [NAME]: waits until COUNT windows of the editor (named NAME) show; the
# editor must not end meanwhile.
await() {
    for _ in $(seq 300); do
        [[ $(windows "${2:-}") -ge $1 ]] && return 0
        kill -0 "$editor_pid" 2>/dev/null || fail "the editor ended"
        sleep 0.1
    done
    fail "the editor showed $(windows "${2:-}") windows ${2:+named $2 }instead of $1"
}

# newest NAME [OTHER]: a window of the editor named NAME, not OTHER; keys are sent to it
# only once it has the focus, since a slow editor (under valgrind) maps a window before
# it takes keys.
newest() {
    xdotool search --all --onlyvisible --pid "$editor_pid" --name "$1" | grep -vx "${2:-none}" |
        tail -n1
}

# From here no file of the editor may grow (as under ulimit -f 0, set once it runs, so
# that a wrapper such as valgrind may write its own files at start): a save must fail
# with an error, not end the editor by SIGXFSZ.
prlimit --pid "$editor_pid" --fsize=0: || fail "cannot limit the editor's file size"
# File, Save by the access keys over an existing file: the menu, the file dialog, its
# question whether to replace the file and the error box each open a window of their own.
mkdir "$work/saved"
printf old >"$work/saved/g.stm"
xdotool windowfocus --sync "$win"
xdotool key alt+f
await 2 && xdotool key s
await 1 '^Save As$'
dialog=$(newest '^Save As$')
xdotool windowfocus --sync "$dialog" key ctrl+a
xdotool type --delay 20 "$work/saved/g.stm"
xdotool key Return
await 2 '^Save As$'
xdotool windowfocus --sync "$(newest '^Save As$' "$dialog")" key y
await 1 '^grapheditor$'
xdotool windowfocus --sync "$(newest '^grapheditor$')" key Return
for _ in $(seq 300); do
    [[ $(windows) -eq 1 ]] && break
    sleep 0.1
done
[[ $(windows) -eq 1 ]] || fail "the error box did not close"
[[ $(cat "$work/saved/g.stm") == old ]] || fail "the old file changed"
[[ $(ls -A "$work/saved") == g.stm ]] || fail "left in the folder: $(ls -A "$work/saved")"
shows_within 30 350,245,000000 150,245,FFFFFF 200,250,FF0000 ||
    fail "after the save, want the same graph; found $(pixel 350 245)," \
         "$(pixel 150 245), $(pixel 200 250)"

# Its log, and a wrapper's last report, may grow again.
prlimit --pid "$editor_pid" --fsize=unlimited || fail "cannot lift the editor's file-size limit"

# Three nodes and an edge between two of them; the last node and the edge are taken back,
# the edge made again. The keys go to the view, which the clicks gave the focus.
click 150 400 1    # C
click 350 400 1    # D
click 150 400 1    # select C
click 350 400 3    # edge C -> D
click 250 480 1    # E
xdotool key ctrl+z ctrl+z
sleep 0.2
xdotool key ctrl+y
sleep 0.2
# Two notches of the wheel with Ctrl: zoom 2 about that point, then a node placed.
xdotool mousemove --sync "$((win_x + 250))" "$((win_y + 200))" keydown ctrl click 4 click 4 \
    keyup ctrl
sleep 0.3
click 440 420 1    # F
saved=$work/saved.stm
xdotool key ctrl+s
for _ in $(seq 100); do
    (($(windows) >= 2)) && break
    sleep 0.1
done
(($(windows) >= 2)) || fail "no save dialog within 10 s"
sleep 0.5
xdotool type --delay 20 "$saved"
xdotool key Return
for _ in $(seq 100); do
    [[ -s $saved ]] && (($(windows) == 1)) && break
    sleep 0.1
done
[[ -s $saved ]] || fail "nothing saved to $saved"
shown=$("$stmtool" show "$saved") || fail "stmtool cannot read $saved"
mapfile -t at < <(grep -o '"x": -\?[0-9]*, "y": -\?[0-9]*' <<<"$shown" | tr -dc '0-9 \n-' |
    awk '{ print $1, $2 }')
((${#at[@]} == 5)) || fail "want nodes A, B, C, D and F, found: $shown"
# The view's origin within the window, from A, the first node placed at zoom 1.
read -r ax ay <<<"${at[0]}"
ox=$((150 - ax)) oy=$((250 - ay))
expect_at() {  # NODE X Y: the node's position in the file, at window point X, Y at zoom 1
    [[ ${at[$1]} == "$(($2 - ox)) $(($3 - oy))" ]] ||
        fail "node $(($1 + 1)) at ${at[$1]}, want $(($2 - ox)) $(($3 - oy)): $shown"
}
expect_at 1 350 250
expect_at 2 150 400
expect_at 3 350 400
# Zoomed 2 about z, a press at p lands at (p + z) / 2, halves up: where a press at zoom 1
# would have landed at that point.
expect_at 4 "$(((440 + 250 + 1) / 2))" "$(((420 + 200 + 1) / 2))"
edges=$(grep -o '"from": [0-9]*, "to": [0-9]*' <<<"$shown" | tr -dc '0-9 \n' | xargs)
[[ $edges == "1 2 3 4" ]] || fail "want the edges 1 -> 2 and 3 -> 4, found: $shown"

# File, Exit by the access keys: the editor must end by itself, cleanly. The menu
# opens as a second window of the editor; x is typed only once it shows.
xdotool windowfocus --sync "$win"
xdotool key alt+f
await 2 && xdotool key x
for _ in $(seq 300); do
    kill -0 "$editor_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$editor_pid" 2>/dev/null && fail "File, Exit did not end the editor within 30 s"
status=0
wait "$editor_pid" || status=$?
editor_pid=
[[ $status -eq 0 ]] || fail "the editor exited with status $status"
echo "PASS"
