#!/bin/bash
# Drives the real game window on a private X server and compares what it
# shows with the frames the headless backend composes for the same input.
#   window_test.sh BRENNOW_BIN FRAME_TOOL_BIN BOX_TOOL_BIN NO_BOX_PRELOAD
# Prints "ok - NAME" or "not ok - NAME" per case, then "N passed, M failed".

if (($# != 4)); then
    echo "usage: $0 BRENNOW_BIN FRAME_TOOL_BIN BOX_TOOL_BIN NO_BOX_PRELOAD" >&2
    exit 2
fi
GAME=$(realpath -- "$1") || exit 2
FRAME=$(realpath -- "$2") || exit 2
BOX_TOOL=$(realpath -- "$3") || exit 2
NO_BOX=$(realpath -- "$4") || exit 2

# shellcheck source=tests/lib/window.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/../lib/window.sh"
# Under the sanitizers the game starts and ends some times slower (the leak
# check at exit alone takes a quarter of a second, more on a busy machine):
# there the limits on its own start and end are this many times longer. The
# optimised build keeps them tight.
SLOW=1
ldd "$GAME" | grep -q libasan && SLOW=3

# The figure starts in the middle and moves 4 pixels a key. Seventy steps
# left put it wholly off the playfield, where no obstacle can reach it, so a
# round lasts until the figure is brought back.
park_figure() {
    xdotool key --delay 5 --repeat 70 --repeat-delay 0 Left
}

unpark_figure() {
    xdotool key --delay 5 --repeat 70 --repeat-delay 0 Right
}

# walk_up_until FIND: walks the figure up into the obstacles' way a step at a
# time (30 at the most, or it leaves the playfield) until FIND sees the box.
walk_up_until() {
    local steps=0 deadline=$(($(wt_now_ms) + 15000))
    until "$1"; do
        if (($(wt_now_ms) >= deadline)); then
            wt_note "no message box within 15s of steering into the obstacles"
            return 1
        fi
        if ((steps < 30)); then
            xdotool key Up
            steps=$((steps + 1))
        fi
        sleep 0.2
    done
}

click_at() {
    xdotool mousemove --window "$GAME_WIN" "$1" "$2" click 1
}

# Clicks the prompt and waits until the obstacles have left their places.
start_round() {
    local tag=$1
    wt_shot "$GAME_WIN" "$WT_DIR/$tag-row-before.png" "${OBSTACLE_ROW[@]}" || return 1
    click_at "${PROMPT_POINT[@]}"
    wt_wait_changed "$GAME_WIN" "$WT_DIR/$tag-row-before.png" "$WT_DIR/$tag-row-moving.png" "${OBSTACLE_ROW[@]}"
}

# Twenty-eight steps up put the figure where obstacle 3 lands at its first
# move, whatever speed it drew: a round started then ends at its first tick,
# before the first point is scored.
aim_figure() {
    xdotool key --delay 5 --repeat 28 --repeat-delay 0 Up
}

# Starts the game and a round that ends at once.
start_lost_round() {
    wt_start_game "$GAME" || return 1
    wt_focus "$GAME_WIN" || return 1
    aim_figure
    click_at "${PROMPT_POINT[@]}"
}

# Starts the game and a round that ends at once, and waits for the box.
open_box() {
    start_lost_round || return 1
    wt_wait_until "$WT_TIMEOUT" "the message box" wt_find_box
}

# Presses KEY in the box, once it has the focus.
key_in_box() {
    wt_wait_until "$WT_TIMEOUT" "the message box to get the focus" wt_has_focus "$BOX_WIN" || return 1
    xdotool key "$1"
}

# Clicks the box's OK button: in the middle, 24 pixels above the bottom.
# The pointer stays there, over the prompt once the box has gone, so the
# movement the game then sees steers nothing.
click_ok() {
    wt_geometry "$BOX_WIN" || return 1
    xdotool mousemove $((WT_X + WT_W / 2)) $((WT_Y + WT_H - 24)) click 1
}

# The window waits for the next round: the prompt is back, the score label is
# empty and the figure is not drawn. (The obstacles need not be at their
# places: the tick that ended the round goes on moving the rest on the new
# form.)
expect_waiting() {
    local tag=$1
    if [[ ! -f $WT_DIR/waiting-below.png ]]; then
        "$FRAME" "$WT_DIR/waiting.ppm" || return 1
        wt_crop "$WT_DIR/waiting.ppm" "$WT_DIR/waiting-below.png" "${BELOW_OBSTACLES[@]}"
        wt_crop "$WT_DIR/waiting.ppm" "$WT_DIR/waiting-score.png" "${SCORE_LABEL[@]}"
    fi
    wt_wait_matches "$GAME_WIN" "$WT_DIR/waiting-below.png" "$WT_DIR/$tag-below.png" "${BELOW_OBSTACLES[@]}" &&
        wt_wait_matches "$GAME_WIN" "$WT_DIR/waiting-score.png" "$WT_DIR/$tag-score.png" "${SCORE_LABEL[@]}"
}

# --- cases ---------------------------------------------------------------------

# A round lost at once, played with --record: the box and the frame under it
# are kept, the box closed after a while and the window closed. Played back
# with --replay, the same box opens over the same frame, closes by itself,
# and the playback ends with status 0; --verify finds the round's score.
case_replay() {
    local recording=$WT_DIR/round.replay failed=0
    WT_GAME_ARGS=(--record "$recording")
    open_box || return 1
    WT_GAME_ARGS=()
    wt_wait_until "$WT_TIMEOUT" "the message box to get the focus" wt_has_focus "$BOX_WIN" || return 1
    wt_shot "$BOX_WIN" "$WT_DIR/recorded-box.png" || return 1
    wt_shot "$GAME_WIN" "$WT_DIR/recorded-frame.png" || return 1
    sleep 1.5
    key_in_box Return || return 1
    wt_wait_until "$WT_TIMEOUT" "the message box to close" wt_no_box || return 1
    wmctrl -i -c "$GAME_WIN"
    wt_wait_game_exit || return 1
    ((GAME_STATUS == 0)) || { wt_note "the recording game ended with status $GAME_STATUS"; return 1; }

    local verified status
    verified=$(timeout -k 2 $((10 * SLOW)) "$GAME" --verify "$recording")
    status=$?
    [[ $verified == "round 1: 0" ]] || { wt_note "--verify printed '$verified' (status $status)"; failed=1; }

    WT_GAME_ARGS=(--replay "$recording")
    wt_start_game "$GAME" || return 1
    WT_GAME_ARGS=()
    wt_wait_until "$WT_TIMEOUT" "the played-back box" wt_find_box || return 1
    wt_wait_matches "$BOX_WIN" "$WT_DIR/recorded-box.png" "$WT_DIR/replayed-box.png" || failed=1
    wt_wait_matches "$GAME_WIN" "$WT_DIR/recorded-frame.png" "$WT_DIR/replayed-frame.png" || failed=1
    # The player's keys steer nothing: the box closes at its recorded time.
    wt_wait_until 10 "the played-back box to close by itself" wt_no_box || failed=1
    wt_wait_game_exit || return 1
    ((GAME_STATUS == 0)) || { wt_note "the playback ended with status $GAME_STATUS"; failed=1; }
    ((failed == 0))
}

# A recording killed mid-round keeps every round finished before it.
case_replay_killed() {
    local recording=$WT_DIR/killed.replay
    WT_GAME_ARGS=(--record "$recording")
    open_box || return 1
    WT_GAME_ARGS=()
    key_in_box Return || return 1
    wt_wait_until "$WT_TIMEOUT" "the message box to close" wt_no_box || return 1
    expect_waiting killed-waiting || return 1
    park_figure
    start_round killed || return 1
    kill -KILL "$GAME_PID"
    wait "$GAME_PID" 2>/dev/null
    GAME_PID=""
    local verified
    verified=$(timeout -k 2 $((10 * SLOW)) "$GAME" --verify "$recording")
    local status=$?
    if ((status != 0)) || [[ $verified != $'round 1: 0\nround 2: incomplete, the recording was cut in it' ]]; then
        wt_note "--verify of the killed recording printed '$verified', status $status"
        return 1
    fi
}

# --record to a file that exists: one line on stderr, status 2, no window,
# and the file as it was.
case_record_exists() {
    local kept=$WT_DIR/kept.replay
    echo "kept" >"$kept"
    local err status
    err=$(timeout -k 2 $((5 * SLOW)) "$GAME" --record "$kept" 2>&1 >/dev/null)
    status=$?
    if ((status != 2)) || [[ $err != *"$kept: it exists"* ]] || [[ $(wc -l <<<"$err") != 1 ]] ||
        [[ $(cat "$kept") != kept ]] || wt_find_game_window; then
        wt_note "status $status, stderr '$err'"
        return 1
    fi
}

case_window_at_load() {
    local failed=0 value
    "$FRAME" "$WT_DIR/load-expected.ppm" || return 1
    wt_start_game "$GAME" || return 1

    value=$(wt_xprop "$GAME_WIN" _NET_WM_NAME)
    [[ $value == Orvixel ]] || { wt_note "_NET_WM_NAME is '$value'"; failed=1; }
    value=$(wt_xprop "$GAME_WIN" WM_NAME)
    [[ $value == Orvixel ]] || { wt_note "WM_NAME is '$value'"; failed=1; }

    wt_geometry "$GAME_WIN" || return 1
    [[ "${WT_W}x$WT_H" == 464x349 ]] || { wt_note "the client area is ${WT_W}x$WT_H"; failed=1; }

    wt_size_pinned "$GAME_WIN" 464 349 || failed=1

    wt_wait_matches "$GAME_WIN" "$WT_DIR/load-expected.ppm" "$WT_DIR/load-shot.png" || failed=1
    return "$failed"
}

case_arrow_keys() {
    "$FRAME" "$WT_DIR/keys-expected.ppm" key:39 key:39 key:40 || return 1
    wt_start_game "$GAME" || return 1
    wt_focus "$GAME_WIN" || return 1
    wt_shot "$GAME_WIN" "$WT_DIR/keys-before.png" || return 1
    xdotool key --delay 30 Right Right Down
    wt_wait_changed "$GAME_WIN" "$WT_DIR/keys-before.png" "$WT_DIR/keys-changed.png" || return 1
    wt_wait_matches "$GAME_WIN" "$WT_DIR/keys-expected.ppm" "$WT_DIR/keys-shot.png"
}

# A drag that leaves the window keeps steering, as on the old desktop, which
# gave a window the mouse while a button held on it was down: the movement
# to the right of the window, button held, walks the figure right.
case_drag_out() {
    local beyond=$((464 + 50))
    "$FRAME" "$WT_DIR/drag-expected.ppm" "move:${FREE_POINT[0]},${FREE_POINT[1]}" "move:$beyond,${FREE_POINT[1]}" \
        || return 1
    wt_start_game "$GAME" || return 1
    wt_shot "$GAME_WIN" "$WT_DIR/drag-before.png" || return 1
    xdotool mousemove --window "$GAME_WIN" "${OBSTACLE_POINT[@]}"
    xdotool mousemove --window "$GAME_WIN" "${FREE_POINT[@]}" mousedown 1
    xdotool mousemove --window "$GAME_WIN" "$beyond" "${FREE_POINT[1]}"
    wt_wait_changed "$GAME_WIN" "$WT_DIR/drag-before.png" "$WT_DIR/drag-changed.png" &&
        wt_wait_matches "$GAME_WIN" "$WT_DIR/drag-expected.ppm" "$WT_DIR/drag-shot.png"
    local status=$?
    xdotool mouseup 1
    return "$status"
}

# With a German layout, "ö" (a key no US keyboard has) redraws the figure in
# place and moves its walk on, and keypad 4 with NumLock off (as the X server
# starts) steps left: both as the headless frame for the codes 186 and 37.
case_german_keys() {
    "$FRAME" "$WT_DIR/german-expected.ppm" key:186 key:37 || return 1
    setxkbmap -layout de || { wt_note "setxkbmap cannot set the German layout"; return 1; }
    local failed=0
    if wt_start_game "$GAME" && wt_focus "$GAME_WIN" && wt_shot "$GAME_WIN" "$WT_DIR/german-before.png"; then
        xdotool key --delay 30 odiaeresis KP_Left
        wt_wait_changed "$GAME_WIN" "$WT_DIR/german-before.png" "$WT_DIR/german-changed.png" &&
            wt_wait_matches "$GAME_WIN" "$WT_DIR/german-expected.ppm" "$WT_DIR/german-shot.png" || failed=1
    else
        failed=1
    fi
    setxkbmap -layout us
    return "$failed"
}

case_mouse_move() {
    "$FRAME" "$WT_DIR/move-expected.ppm" "move:${FREE_POINT[0]},${FREE_POINT[1]}" || return 1
    wt_start_game "$GAME" || return 1
    wt_shot "$GAME_WIN" "$WT_DIR/move-before.png" || return 1
    # The pointer enters over an obstacle, where a movement steers nothing,
    # and then jumps: the figure sees exactly one movement over the free area.
    xdotool mousemove --window "$GAME_WIN" "${OBSTACLE_POINT[@]}"
    xdotool mousemove --window "$GAME_WIN" "${FREE_POINT[@]}"
    wt_wait_changed "$GAME_WIN" "$WT_DIR/move-before.png" "$WT_DIR/move-changed.png" || return 1
    wt_wait_matches "$GAME_WIN" "$WT_DIR/move-expected.ppm" "$WT_DIR/move-shot.png"
}

case_round() {
    "$FRAME" "$WT_DIR/round-load.ppm" || return 1
    wt_crop "$WT_DIR/round-load.ppm" "$WT_DIR/round-load-below.png" "${BELOW_OBSTACLES[@]}"
    wt_crop "$WT_DIR/round-load.ppm" "$WT_DIR/round-load-score.png" "${SCORE_LABEL[@]}"
    wt_start_game "$GAME" || return 1
    wt_focus "$GAME_WIN" || return 1
    park_figure
    start_round round || return 1

    # The score counts up while the round runs.
    wt_wait_lit "$GAME_WIN" "$WT_DIR/round-score-1.png" "${SCORE_LABEL[@]}" || return 1
    wt_wait_changed "$GAME_WIN" "$WT_DIR/round-score-1.png" "$WT_DIR/round-score-2.png" "${SCORE_LABEL[@]}" \
        || return 1

    # Bring the figure back and walk it up into the obstacles' way; a few
    # steps up suffice, more would take it off the top and out of reach.
    unpark_figure
    walk_up_until wt_find_box || { wt_shot "$GAME_WIN" "$WT_DIR/round-no-box.png"; return 1; }
    import -silent -window root "$WT_DIR/round-box.png"

    local owner
    owner=$(xprop -id "$BOX_WIN" WM_TRANSIENT_FOR 2>/dev/null)
    if [[ ${owner##* } != $(printf '0x%x' "$GAME_WIN") ]]; then
        wt_note "the message box does not belong to the game window: $owner"
        return 1
    fi
    # The round is held while the box is open.
    wt_shot "$GAME_WIN" "$WT_DIR/round-held-1.png" "${SCORE_LABEL[@]}" || return 1
    sleep 0.3
    wt_shot "$GAME_WIN" "$WT_DIR/round-held-2.png" "${SCORE_LABEL[@]}" || return 1
    if ! wt_same "$WT_DIR/round-held-1.png" "$WT_DIR/round-held-2.png"; then
        wt_note "the score went on counting while the message box was open"
        return 1
    fi

    key_in_box Return || return 1
    wt_wait_until "$WT_TIMEOUT" "the message box to close" wt_no_box || return 1
    expect_waiting round-after || return 1
    start_round round-again
}

# The box of a round lost at once: its title, its owner, its place over the
# game window, its fixed size and, pixel for pixel, what the game draws in it.
case_box() {
    local failed=0 value owner
    "$BOX_TOOL" "$WT_DIR/box-expected.ppm" "$LOST_AT_ZERO" || return 1
    open_box || return 1

    value=$(wt_xprop "$BOX_WIN" _NET_WM_NAME)
    [[ $value == Brennow ]] || { wt_note "the box's _NET_WM_NAME is '$value'"; failed=1; }
    owner=$(xprop -id "$BOX_WIN" WM_TRANSIENT_FOR 2>/dev/null)
    if [[ ${owner##* } != $(printf '0x%x' "$GAME_WIN") ]]; then
        wt_note "the message box does not belong to the game window: $owner"
        failed=1
    fi
    # No helper process shows the box.
    if pgrep -P "$GAME_PID" >/dev/null; then
        wt_note "the game has a child process: $(pgrep -a -P "$GAME_PID")"
        failed=1
    fi

    wt_geometry "$GAME_WIN" || return 1
    local gx=$((WT_X + WT_W / 2)) gy=$((WT_Y + WT_H / 2))
    wt_geometry "$BOX_WIN" || return 1
    local bx=$((WT_X + WT_W / 2)) by=$((WT_Y + WT_H / 2))
    # The frame is centred; its title bar moves the client area down a little.
    if ((bx - gx > 2 || gx - bx > 2 || by - gy > 16 || gy - by > 2)); then
        wt_note "the box's centre ($bx,$by) is not over the game window's ($gx,$gy)"
        failed=1
    fi
    wt_size_pinned "$BOX_WIN" "$WT_W" "$WT_H" || failed=1

    wt_wait_matches "$BOX_WIN" "$WT_DIR/box-expected.ppm" "$WT_DIR/box-shot.png" || failed=1
    ((failed == 0)) || return 1
    key_in_box Return || return 1
    wt_wait_until "$WT_TIMEOUT" "the message box to close" wt_no_box || return 1
    expect_waiting box-after
}

# box_dismiss_case HOW: the box closes by a click on OK, Escape, Space or its
# own close button, and the window waits for the next round.
box_dismiss_case() {
    open_box || return 1
    case $1 in
        click) click_ok || return 1 ;;
        Escape | space) key_in_box "$1" || return 1 ;;
        close) wmctrl -i -c "$BOX_WIN" ;;
    esac
    wt_wait_until "$WT_TIMEOUT" "the message box to close" wt_no_box || return 1
    wt_running "$GAME_PID" || { wt_note "the game ended"; return 1; }
    expect_waiting "dismiss-$1"
}

# While the box is open, a click on the free area of the game window would
# start the next round and arrow keys or a movement would draw the figure;
# none of it may reach the game, neither while the box is open nor after.
case_box_drops_input() {
    open_box || return 1
    xdotool mousemove --window "$GAME_WIN" "${FREE_POINT[@]}" click 1
    xdotool key --delay 20 Up Left Down Right
    xdotool mousemove --window "$GAME_WIN" 10 340 click 1
    xdotool key --delay 20 Down Right
    click_ok || return 1
    wt_wait_until "$WT_TIMEOUT" "the message box to close" wt_no_box || return 1
    expect_waiting drop
}

# box_quit_case HOW: closing the game window, SIGTERM or SIGINT while the box
# is open ends the program at once with status 0: no second box, no report
# on stderr, nothing left running.
box_quit_case() {
    open_box || return 1
    case $1 in
        close) wmctrl -i -c "$GAME_WIN" ;;
        TERM | INT) kill "-$1" "$GAME_PID" ;;
    esac
    wt_wait_game_exit $((2 * SLOW)) || return 1
    if ((GAME_STATUS != 0)) || [[ -s $WT_DIR/game.err ]]; then
        wt_note "the game ended with status $GAME_STATUS and said: $(head -c 500 "$WT_DIR/game.err")"
        return 1
    fi
    wt_no_box || { wt_note "a box is still shown"; return 1; }
}

# When the box's window cannot be created, its text goes to stderr and the
# game goes on as if it had been dismissed.
case_box_not_shown() {
    local asan
    # A sanitizer runtime must come first among the preloads.
    asan=$(ldd "$GAME" | awk '$1 ~ /^libasan\./ { print $3 }')
    WT_GAME_ENV=("LD_PRELOAD=${asan:+$asan }$NO_BOX")
    start_lost_round
    local started=$?
    WT_GAME_ENV=()
    ((started == 0)) || return 1
    wt_wait_until "$WT_TIMEOUT" "the box's text on stderr" \
        grep -qxF "Brennow: $LOST_AT_ZERO" "$WT_DIR/game.err" || return 1
    wt_no_box || { wt_note "a box is shown"; return 1; }
    expect_waiting not-shown || return 1
    wt_focus "$GAME_WIN" || return 1
    park_figure
    start_round not-shown-again
}

# The X server goes away during a round: the game ends within a second with
# a reason on stderr, neither killed by a signal nor leaving a core file.
case_display_killed() {
    local limit started
    mkdir -p "$WT_DIR/display-killed"
    limit=$(ulimit -S -c)
    ulimit -S -c unlimited 2>/dev/null  # a crash would leave its core here
    pushd "$WT_DIR/display-killed" >/dev/null || return 1
    wt_untimed_leak_scan
    wt_start_game "$GAME"
    started=$?
    popd >/dev/null || return 1
    ulimit -S -c "$limit"
    ((started == 0)) || return 1
    wt_focus "$GAME_WIN" || return 1
    park_figure
    start_round display-killed || return 1

    { kill -KILL "$WT_XVFB_PID" && wait "$WT_XVFB_PID"; } 2>/dev/null
    local failed=0
    wt_wait_game_exit 1 || failed=1
    if ((failed == 0 && (GAME_STATUS == 0 || GAME_STATUS > 128))); then
        wt_note "the game ended with status $GAME_STATUS"
        failed=1
    fi
    if [[ ! -s $WT_DIR/game.err ]]; then
        wt_note "the game said nothing on stderr"
        failed=1
    fi
    if compgen -G "$WT_DIR/display-killed/core*" >/dev/null; then
        wt_note "the game left a core file"
        failed=1
    fi
    wt_stop_game
    wt_restart_display || return 1
    return "$failed"
}

# Stopped for a second during a round, the game shows nothing new; continued,
# it goes on and the score keeps counting.
case_stop_continue() {
    wt_start_game "$GAME" || return 1
    wt_focus "$GAME_WIN" || return 1
    park_figure
    start_round stop || return 1
    wt_wait_lit "$GAME_WIN" "$WT_DIR/stop-score-0.png" "${SCORE_LABEL[@]}" || return 1

    kill -STOP "$GAME_PID"
    wt_wait_until "$WT_TIMEOUT" "the game to stop" wt_stopped "$GAME_PID" || return 1
    wt_shot "$GAME_WIN" "$WT_DIR/stop-score-1.png" "${SCORE_LABEL[@]}" || return 1
    wt_hold_unchanged 1 "$GAME_WIN" "$WT_DIR/stop-score-1.png" "$WT_DIR/stop-score-held.png" \
        "${SCORE_LABEL[@]}" || return 1
    kill -CONT "$GAME_PID"

    wt_wait_changed "$GAME_WIN" "$WT_DIR/stop-score-1.png" "$WT_DIR/stop-score-2.png" "${SCORE_LABEL[@]}" || return 1
    wt_wait_changed "$GAME_WIN" "$WT_DIR/stop-score-2.png" "$WT_DIR/stop-score-3.png" "${SCORE_LABEL[@]}" || return 1
    wt_running "$GAME_PID" && wt_no_box
}

# close_case HOW [during-round]: the program ends with status 0 when the
# window is closed (HOW=close) or it gets SIGTERM or SIGINT.
close_case() {
    local how=$1 when=${2:-}
    wt_start_game "$GAME" || return 1
    if [[ $when == during-round ]]; then
        wt_focus "$GAME_WIN" || return 1
        park_figure
        start_round "$how" || return 1
    fi
    case $how in
        close) wmctrl -i -c "$GAME_WIN" ;;
        TERM | INT) kill "-$how" "$GAME_PID" ;;
    esac
    wt_wait_game_exit || return 1
    if ((GAME_STATUS != 0)); then
        wt_note "the game ended with status $GAME_STATUS: $(head -c 500 "$WT_DIR/game.err")"
        return 1
    fi
}

# Without a display the game says why on one line and fails.
no_display_case() {
    local err=$WT_DIR/no-display.err status lines
    timeout -k 2 5 env "$@" "$GAME" >/dev/null 2>"$err"
    status=$?
    mapfile -t lines <"$err"
    if ((status == 124 || status == 137)); then
        wt_note "the game was still running after 5s"
        return 1
    fi
    if ((status != 1 || ${#lines[@]} != 1)) || [[ -z ${lines[0]} ]]; then
        wt_note "status $status, ${#lines[@]} lines on stderr: $(head -c 500 "$err")"
        return 1
    fi
}

# The wait for input fails (the preload breaks it): the game ends at once with
# status 1 and SDL's reason on stderr, rather than spinning in its loop.
case_wait_fails() {
    local err=$WT_DIR/wait-fails.err status asan
    asan=$(ldd "$GAME" | awk '$1 ~ /^libasan\./ { print $3 }')
    timeout -k 2 $((5 * SLOW)) env LD_PRELOAD="${asan:+$asan }$NO_BOX" BRENNOW_TEST_WAIT_FAILS=1 "$GAME" \
        >/dev/null 2>"$err"
    status=$?
    if ((status == 124 || status == 137)); then
        wt_note "the game was still running after $((5 * SLOW))s"
        return 1
    fi
    if ((status != 1)) || ! grep -q "the wait for input failed: the test breaks the event queue" "$err"; then
        wt_note "status $status, and on stderr: $(head -c 500 "$err")"
        return 1
    fi
}

# A display that asks for twice the pixels shows the playfield twice as large,
# each pixel a crisp square; the pointer still steers in playfield pixels
# (window pixel 601 is playfield pixel 300).
case_scaled() {
    "$FRAME" "$WT_DIR/scaled.ppm" key:39 key:39 "move:${FREE_POINT[0]},${FREE_POINT[1]}" || return 1
    convert "$WT_DIR/scaled.ppm" -sample 200% "$WT_DIR/scaled-expected.png" || return 1
    # A screen large enough that the window and the resting pointer keep apart.
    WT_SCREEN=2048x1536x24 wt_restart_display || return 1
    local started=0
    WT_GAME_ENV=(GDK_SCALE=2)
    wt_start_game "$GAME" || started=1
    WT_GAME_ENV=()
    ((started == 0)) || return 1
    wt_geometry "$GAME_WIN" || return 1
    [[ "${WT_W}x$WT_H" == 928x698 ]] || { wt_note "the client area is ${WT_W}x$WT_H"; return 1; }
    wt_focus "$GAME_WIN" || return 1
    wt_shot "$GAME_WIN" "$WT_DIR/scaled-before.png" || return 1
    xdotool key --delay 30 Right Right
    wt_wait_changed "$GAME_WIN" "$WT_DIR/scaled-before.png" "$WT_DIR/scaled-changed.png" || return 1
    xdotool mousemove --window "$GAME_WIN" $((OBSTACLE_POINT[0] * 2)) $((OBSTACLE_POINT[1] * 2))
    xdotool mousemove --window "$GAME_WIN" $((FREE_POINT[0] * 2 + 1)) $((FREE_POINT[1] * 2 + 1))
    wt_wait_matches "$GAME_WIN" "$WT_DIR/scaled-expected.png" "$WT_DIR/scaled-shot.png"
}

# --- full screen and zoom, on a 1920 x 1080 screen -----------------------------

# The kept setting NAME is VALUE.
kept_is() {
    grep -qx "$1 = $2" "$XDG_CONFIG_HOME/brennow/settings.conf" 2>/dev/null
}

placed_at() {
    wt_geometry "$GAME_WIN" && [[ "$WT_X $WT_Y" == "$1 $2" ]]
}

motif_hints_are() {
    [[ $(xprop -id "$GAME_WIN" _MOTIF_WM_HINTS) == "$1" ]]
}

# The key-downs the form hears for xdotool's keys (every key reaches it, and
# moves the figure's walk on).
readonly F11=key:122 ALT_ENTER="key:18 key:13"

# F11 and Alt+Enter each take the window to full screen and back: the
# playfield at 3x, centred on black; back at the size and place it had, with
# only the close button again. In full screen the pointer steers in the
# playfield's pixels (root pixel 264 + 3 x 300 is playfield pixel 300) and
# the border drops moves. A held key toggles once. Full screen is kept for
# the next start, where --window wins over it.
case_full_screen() {
    local failed=0 x y hints='_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x3, 0x24, 0x1a, 0x0, 0x0' keys=() key
    WT_SCREEN=1920x1080x24 wt_restart_display || return 1
    wt_start_game "$GAME" || return 1
    wt_focus "$GAME_WIN" || return 1
    wt_geometry "$GAME_WIN" || return 1
    x=$WT_X y=$WT_Y
    # The pointer rests where neither the window nor the playfield in full
    # screen will be. While the window leaves full screen SDL hears it over
    # the window at 1x before the window is back: there it is over the score.
    xdotool mousemove $((SCORE_LABEL[0] + 16)) $((SCORE_LABEL[1] + 12))
    for key in F11 alt+Return; do
        if [[ $key == F11 ]]; then
            read -ra pressed <<<"$F11"
        else
            read -ra pressed <<<"$ALT_ENTER"
        fi
        xdotool key "$key"
        keys+=("${pressed[@]}")
        wt_wait_size 1920 1080 || return 1
        if xprop -id "$GAME_WIN" _MOTIF_WM_HINTS | grep -q ' = '; then
            wt_note "the Motif hints stay in full screen"
            failed=1
        fi
        wt_wait_enlarged 3 264 16 "fs-$key" "${keys[@]}" || failed=1
        xdotool key "$key"
        keys+=("${pressed[@]}")
        wt_wait_size 464 349 || return 1
        # The place and the hints come back just after the size: a slow build
        # is seen between.
        if ! wt_wait_until 5 "the window back at $x $y" placed_at "$x" "$y"; then
            wt_note "back at $WT_X $WT_Y"
            failed=1
        fi
        wt_wait_until 5 "the Motif hints again" motif_hints_are "$hints" || failed=1
        wt_size_pinned "$GAME_WIN" 464 349 || failed=1
        wt_wait_enlarged 1 0 0 "window-$key" "${keys[@]}" || failed=1
    done
    kept_is fullscreen no || { wt_note "full screen left is not kept"; failed=1; }
    # Moves on the black border are dropped; once the window has settled in
    # full screen (a pointer resting through the change is not heard), the
    # pointer steers in the playfield's pixels.
    xdotool key F11 key Right
    wt_wait_size 1920 1080 || return 1
    sleep 0.5
    xdotool mousemove 100 500 mousemove $((264 + 3 * FREE_POINT[0] + 2)) $((16 + 3 * FREE_POINT[1] + 1))
    wt_wait_enlarged 3 264 16 fs-steered "${keys[@]}" $F11 key:39 "move:${FREE_POINT[0]},${FREE_POINT[1]}" || failed=1
    kept_is fullscreen yes || { wt_note "full screen is not kept"; failed=1; }
    # Held, with the key's repeats, the key toggles once.
    xdotool keydown F11 sleep 1 keyup F11
    sleep 0.3
    wt_size_is 464 349 || { wt_note "a held F11 left the window ${WT_W}x$WT_H"; failed=1; }
    xdotool key F11
    wt_wait_size 1920 1080 || return 1
    wt_stop_game
    wt_start_game "$GAME" || return 1
    wt_wait_size 1920 1080 || { wt_note "the kept full screen was not found again"; failed=1; }
    wt_stop_game
    wt_start_game "$GAME" --window || return 1
    sleep 0.5
    wt_size_is 464 349 || { wt_note "--window did not win over the kept full screen"; failed=1; }
    kept_is fullscreen yes || { wt_note "--window was kept"; failed=1; }
    return "$failed"
}

# _box_is W H: the box is shown at W x H.
_box_is() {
    wt_find_box && wt_geometry "$BOX_WIN" && [[ "${WT_W}x$WT_H" == "$1x$2" ]]
}

# In full screen a lost round's box opens over the playfield at its scale,
# crisp, with the focus. F11 and Alt+Enter in the box take the window out of
# full screen and back, and a zoom key zooms, the box with them; none
# dismisses it. Enter does, and the game waits for the next round, still in
# full screen.
case_box_full_screen() {
    local failed=0 bw bh key scale size
    "$BOX_TOOL" "$WT_DIR/fsbox.ppm" "$LOST_AT_ZERO" || return 1
    read -r bw bh < <(identify -format '%w %h\n' "$WT_DIR/fsbox.ppm") || return 1
    "$FRAME" "$WT_DIR/fs-waiting.ppm" || return 1
    wt_crop "$WT_DIR/fs-waiting.ppm" "$WT_DIR/fs-waiting-below.png" "${BELOW_OBSTACLES[@]}" || return 1
    convert "$WT_DIR/fs-waiting-below.png" -sample 300% "$WT_DIR/fs-waiting-below-3.png" || return 1
    WT_SCREEN=1920x1080x24 wt_restart_display || return 1
    wt_start_game "$GAME" --fullscreen || return 1
    wt_wait_size 1920 1080 || return 1
    wt_focus "$GAME_WIN" || return 1
    aim_figure
    xdotool mousemove $((264 + 3 * PROMPT_POINT[0] + 1)) $((16 + 3 * PROMPT_POINT[1] + 1)) click 1
    wt_wait_until "$WT_TIMEOUT" "the message box" wt_find_box || return 1
    wt_wait_until "$WT_TIMEOUT" "the message box to get the focus" wt_has_focus "$BOX_WIN" || return 1
    for step in none:3:1920x1080 F11:1:464x349 ctrl+equal:2:928x698 alt+Return:3:1920x1080; do
        IFS=: read -r key scale size <<<"$step"
        [[ $key == none ]] || xdotool key "$key"
        wt_wait_size "${size%x*}" "${size#*x}" || { failed=1; continue; }
        wt_wait_until "$WT_TIMEOUT" "the box at ${scale}x" _box_is $((bw * scale)) $((bh * scale)) || failed=1
        convert "$WT_DIR/fsbox.ppm" -sample "$((scale * 100))%" "$WT_DIR/fsbox-$scale.png" || return 1
        # Shot from the screen, so it is seen over the game window.
        wt_wait_matches "$BOX_WIN" "$WT_DIR/fsbox-$scale.png" "$WT_DIR/fsbox-$key-shot.png" || failed=1
    done
    ((failed == 0)) || return 1
    key_in_box Return || return 1
    wt_wait_until "$WT_TIMEOUT" "the message box to close" wt_no_box || return 1
    wt_size_is 1920 1080 || { wt_note "the game left full screen"; return 1; }
    wt_wait_matches "$GAME_WIN" "$WT_DIR/fs-waiting-below-3.png" "$WT_DIR/fs-waiting-shot.png" \
        $((264 + 3 * BELOW_OBSTACLES[0])) $((16 + 3 * BELOW_OBSTACLES[1])) $((3 * BELOW_OBSTACLES[2])) \
        $((3 * BELOW_OBSTACLES[3]))
}

# Settings that cannot be read or kept are never fatal: a corrupt file says
# so in one line and leaves the defaults; a settings folder that is a plain
# file says once that nothing is kept, however often a setting changes, and
# the game plays on and ends with status 0.
case_settings_not_kept() {
    local failed=0 lines
    WT_SCREEN=1920x1080x24 wt_restart_display || return 1
    mkdir -p "$XDG_CONFIG_HOME/brennow"
    printf 'scale = lots\nfullscreen = yes\n' >"$XDG_CONFIG_HOME/brennow/settings.conf"
    wt_start_game "$GAME" || return 1
    wt_wait_size 1920 1080 || failed=1
    mapfile -t lines <"$WT_DIR/game.err"
    [[ ${#lines[@]} == 1 && ${lines[0]} == *"settings.conf: line 1: the scale is not a whole number"* ]] ||
        { wt_note "stderr: $(head -c 300 "$WT_DIR/game.err")"; failed=1; }
    wt_stop_game
    rm -rf -- "$XDG_CONFIG_HOME/brennow"
    echo "not a folder" >"$XDG_CONFIG_HOME/brennow"
    wt_start_game "$GAME" || return 1
    wt_focus "$GAME_WIN" || return 1
    xdotool key ctrl+equal
    wt_wait_size 928 698 || failed=1
    xdotool key ctrl+minus
    wt_wait_size 464 349 || failed=1
    wmctrl -i -c "$GAME_WIN"
    wt_wait_game_exit || return 1
    ((GAME_STATUS == 0)) || { wt_note "the game ended with status $GAME_STATUS"; failed=1; }
    mapfile -t lines <"$WT_DIR/game.err"
    [[ ${#lines[@]} == 1 && ${lines[0]} == "brennow: the settings are not kept: cannot make the folder "* ]] ||
        { wt_note "stderr: $(head -c 300 "$WT_DIR/game.err")"; failed=1; }
    rm -f -- "$XDG_CONFIG_HOME/brennow"
    return "$failed"
}

# Ctrl+= and Ctrl+- step the window through the whole scales that fit the
# work area (on 1080 rows with openbox's title bar, 3x at most), each crisp
# and pinned; the keypad's + and - too; Ctrl+0 goes back to the first size.
# The zoom is kept for the next start; --scale wins over it for its run, and
# one too large is lowered to the largest that fits, with one line saying so.
case_zoom() {
    local failed=0 step size code keys=()
    WT_SCREEN=1920x1080x24 wt_restart_display || return 1
    wt_start_game "$GAME" || return 1
    wt_focus "$GAME_WIN" || return 1
    xdotool mousemove 1919 0  # where the growing window will not be
    for step in ctrl+equal:187:928x698 ctrl+KP_Add:107:1392x1047 ctrl+equal:187:1392x1047 \
        ctrl+minus:189:928x698 ctrl+KP_Subtract:109:464x349 ctrl+minus:189:464x349 ctrl+equal:187:928x698 \
        ctrl+0:48:464x349 ctrl+equal:187:928x698; do
        IFS=: read -r key code size <<<"$step"
        xdotool key "$key"
        keys+=(key:17 "key:$code")
        sleep 0.2
        wt_wait_size "${size%x*}" "${size#*x}" || { failed=1; continue; }
        wt_size_pinned "$GAME_WIN" "${size%x*}" "${size#*x}" || failed=1
        wt_wait_enlarged $((${size%x*} / 464)) 0 0 "zoom-${#keys[@]}" "${keys[@]}" || failed=1
    done
    kept_is scale 2 || { wt_note "the zoom is not kept"; failed=1; }
    # In full screen the zoom keys change nothing.
    xdotool key F11
    wt_wait_size 1920 1080 || return 1
    xdotool key ctrl+minus F11
    wt_wait_size 928 698 || failed=1
    wt_stop_game
    wt_start_game "$GAME" || return 1
    wt_wait_size 928 698 || { wt_note "the kept zoom was not found again"; failed=1; }
    wt_stop_game
    wt_start_game "$GAME" --scale=9 || return 1
    wt_wait_size 1392 1047 || failed=1
    [[ $(cat "$WT_DIR/game.err") == "brennow: scale 9 does not fit the screen; 3 does" ]] ||
        { wt_note "stderr: $(head -c 300 "$WT_DIR/game.err")"; failed=1; }
    kept_is scale 2 || { wt_note "--scale was kept"; failed=1; }
    return "$failed"
}

# --- never hang, never vanish -------------------------------------------------

# wm_stopped_case SIGNAL WHEN: with the window manager stopped (as a busy or
# hung one is), SIGNAL ends the game within a second with status 0, at
# start-up or when the box of a lost round is to be shown.
# Stops the window manager, but never while it holds the X server grabbed
# (openbox does, briefly, when it starts or manages a window): stopped then,
# it would freeze every X client, the test's tools as much as the game.
stop_window_manager() {
    local try
    for try in 1 2 3 4 5; do
        kill -STOP "$WT_WM_PID"
        timeout 1 xdpyinfo >/dev/null 2>&1 && return 0
        wt_note "the window manager was stopped holding the server; once more (try $try)"
        kill -CONT "$WT_WM_PID"
        sleep 0.5
    done
    return 1
}

wm_stopped_case() {
    local signal=$1 when=$2 failed=0
    wt_untimed_leak_scan
    if [[ $when == start ]]; then
        stop_window_manager || return 1
        env --default-signal=INT,QUIT LC_ALL=C "${WT_GAME_ENV[@]}" "$GAME" >"$WT_DIR/game.out" 2>"$WT_DIR/game.err" &
        GAME_PID=$!
        sleep "$SLOW"  # long enough to have shown its window if the manager answered
    else
        start_lost_round || return 1
        wt_wait_until "$WT_TIMEOUT" "the message box" wt_find_box || return 1
        xdotool key Return
        wt_wait_until "$WT_TIMEOUT" "the box to close" wt_no_box || return 1
        wt_focus "$GAME_WIN" || return 1
        stop_window_manager || return 1
        click_at "${PROMPT_POINT[@]}"  # the figure is still where the obstacle lands
        sleep 1
    fi
    kill "-$signal" "$GAME_PID"
    wt_wait_game_exit 1 || failed=1
    kill -CONT "$WT_WM_PID"
    if ((failed == 0 && GAME_STATUS != 0)); then
        wt_note "the game ended with status $GAME_STATUS: $(head -c 500 "$WT_DIR/game.err")"
        failed=1
    fi
    return "$failed"
}

# stderr_closed_case WHAT: started with stderr closed, the game neither hangs
# nor ends when it would write there: the exit report (stats), or the text of
# a box that cannot be shown (box); a close request then ends it within a
# second.
stderr_closed_case() {
    local started=0 asan
    WT_GAME_NO_STDERR=1
    wt_untimed_leak_scan
    if [[ $1 == stats ]]; then
        WT_GAME_ENV+=(BRENNOW_STATS=1)
        wt_start_game "$GAME" || started=1
    else
        asan=$(ldd "$GAME" | awk '$1 ~ /^libasan\./ { print $3 }')
        WT_GAME_ENV+=("LD_PRELOAD=${asan:+$asan }$NO_BOX")
        start_lost_round || started=1
    fi
    WT_GAME_NO_STDERR=0
    WT_GAME_ENV=()
    ((started == 0)) || return 1
    if [[ $1 == box ]]; then
        expect_waiting no-stderr || return 1
    fi
    wmctrl -i -c "$GAME_WIN"
    wt_wait_game_exit 1 || return 1
    ((GAME_STATUS == 0)) || { wt_note "the game ended with status $GAME_STATUS"; return 1; }
}

# The game window and the box ask the window manager for moving and closing
# only, and a frame without minimise and maximise buttons; the box stays the
# game window's modal dialog.
case_only_close_button() {
    local expected='_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x3, 0x24, 0x1a, 0x0, 0x0' value failed=0
    open_box || return 1
    for win in "$GAME_WIN" "$BOX_WIN"; do
        value=$(xprop -id "$win" _MOTIF_WM_HINTS)
        [[ $value == "$expected" ]] || { wt_note "window $win: $value"; failed=1; }
    done
    # Its owner is checked with the box's other properties.
    xprop -id "$BOX_WIN" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL || { wt_note "the box is not modal"; failed=1; }
    # Openbox takes the maximise button away as asked.
    xprop -id "$GAME_WIN" _NET_WM_ALLOWED_ACTIONS | grep -q MAXIMIZE &&
        { wt_note "the game window can be maximised"; failed=1; }
    return "$failed"
}

# A hundred thousand pointer movements over the window in a few seconds: the
# game keeps its memory (within 2 MB of where it was) and its pace.
case_flood() {
    local before after args=() i
    wt_start_game "$GAME" || return 1
    wt_geometry "$GAME_WIN" || return 1
    xdotool mousemove $((WT_X + FREE_POINT[0])) $((WT_Y + FREE_POINT[1]))
    sleep 0.5
    before=$(awk '/^VmRSS:/ { print $2 }' "/proc/$GAME_PID/status")
    for ((i = 1; i <= 100000; ++i)); do
        args+=(mousemove $((WT_X + 250 + i % 200)) $((WT_Y + 150 + i % 190)))
        if ((i % 10000 == 0)); then
            xdotool "${args[@]}"
            args=()
        fi
    done
    # Each movement the game is told of advances the figure's walk, so the
    # last picture is not known; the game has caught up when it stays still.
    wt_shot "$GAME_WIN" "$WT_DIR/flood-1.png" || return 1
    sleep 0.3
    wt_wait_matches "$GAME_WIN" "$WT_DIR/flood-1.png" "$WT_DIR/flood-2.png" ||
        { wt_wait_matches "$GAME_WIN" "$WT_DIR/flood-2.png" "$WT_DIR/flood-3.png" || return 1; }
    after=$(awk '/^VmRSS:/ { print $2 }' "/proc/$GAME_PID/status")
    wt_note "resident memory before the flood ${before} kB, after ${after} kB"
    # The address sanitizer keeps freed memory in quarantine: not a growth.
    ldd "$GAME" | grep -q libasan && return 0
    ((after - before <= 2048))
}

# Pressed over the free area and released over the title bar or the desktop:
# no click on the form, the round does not start. Pressed and released over
# the prompt: it does.
case_release_outside() {
    wt_start_game "$GAME" || return 1
    wt_focus "$GAME_WIN" || return 1
    park_figure
    wt_geometry "$GAME_WIN" || return 1
    wt_shot "$GAME_WIN" "$WT_DIR/outside-row.png" "${OBSTACLE_ROW[@]}" || return 1
    xdotool mousemove --window "$GAME_WIN" "${FREE_POINT[@]}" mousedown 1 sleep 0.1 \
        mousemove $((WT_X + 100)) $((WT_Y - 8)) sleep 0.1 mouseup 1 sleep 0.1 \
        mousemove --window "$GAME_WIN" "${FREE_POINT[@]}" mousedown 1 sleep 0.1 \
        mousemove $((WT_X + WT_W + 40)) $((WT_Y + 100)) sleep 0.1 mouseup 1
    wt_hold_unchanged 1 "$GAME_WIN" "$WT_DIR/outside-row.png" "$WT_DIR/outside-row-held.png" \
        "${OBSTACLE_ROW[@]}" || return 1
    start_round outside
}

# --- Wayland: weston nested in the X server, the game told only WAYLAND_DISPLAY ---

# The X pointer is weston's pointer, and weston draws it: it rests over
# weston's panel, where no window goes. It goes there in one jump, so the game
# sees no movement on its way.
wl_park_pointer() {
    wt_geometry "$WT_WESTON_WIN" || return 1
    wt_weston_pointer $((WT_X + 400)) $((WT_Y + 10))
}

# Starts weston and the game, and waits for the playfield, in WL_AT (root
# coordinates x y w h). A fresh weston places its first window always at the
# same place, its frame clear of weston's panel.
wl_start_game() {
    wt_start_weston || return 1
    wl_park_pointer || return 1
    # Mesa, libdecor and fontconfig leave allocations at exit that the leak
    # sanitizer would report as the game's; the X11 cases check ours.
    env --default-signal=INT,QUIT -u DISPLAY WAYLAND_DISPLAY=brennow-wayland LC_ALL=C \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$GAME" \
        >"$WT_DIR/game.out" 2>"$WT_DIR/game.err" &
    GAME_PID=$!
    wt_find_playfield 464 349 || return 1
    WL_AT=("$WT_PX" "$WT_PY" 464 349)
    wt_focus "$WT_WESTON_WIN"
}

wl_click_prompt() {
    wt_weston_pointer $((WL_AT[0] + PROMPT_POINT[0])) $((WL_AT[1] + PROMPT_POINT[1]))
    xdotool click 1
    wl_park_pointer
}

# Starts a round with the figure in the way (aim_figure) and waits until the
# box shows what the game draws headless.
wl_open_box() {
    wl_click_prompt || return 1
    wt_wait_until "$WT_TIMEOUT" "the message box in weston's output" wt_find_weston_box || return 1
    wt_wait_root_matches "$WT_DIR/wl-box-expected.ppm" "$WT_DIR/wl-box.png" "$WT_BX" "$WT_BY" "$WT_BW" "$WT_BH"
}

# Enter closes the box and the window waits for the next round.
wl_close_box() {
    local x=${WL_AT[0]} y=${WL_AT[1]} tag=$1
    xdotool key Return
    wt_wait_until "$WT_TIMEOUT" "the message box to close" wt_no_weston_box || return 1
    wt_wait_root_matches "$WT_DIR/wl-waiting-below.png" "$WT_DIR/wl-$tag-below.png" \
        $((x + BELOW_OBSTACLES[0])) $((y + BELOW_OBSTACLES[1])) "${BELOW_OBSTACLES[@]:2}" || return 1
    wt_wait_root_matches "$WT_DIR/wl-waiting-score.png" "$WT_DIR/wl-$tag-score.png" \
        $((x + SCORE_LABEL[0])) $((y + SCORE_LABEL[1])) "${SCORE_LABEL[@]:2}"
}

# Waits for the game's end with status 0; the leak sanitizer's check at exit
# takes long over Mesa's libraries.
wl_expect_exit() {
    wt_wait_game_exit "$(ldd "$GAME" | grep -q libasan && echo 5 || echo 1)" || return 1
    ((GAME_STATUS == 0)) || { wt_note "the game ended with status $GAME_STATUS"; return 1; }
}

# The playfield as drawn headless, keys steer, a round lost at once shows the
# box as drawn headless, Enter closes it and the window waits again, twice;
# the close button of the frame libdecor draws ends the game.
case_wayland() {
    "$FRAME" "$WT_DIR/wl-load.ppm" || return 1
    "$FRAME" "$WT_DIR/wl-keys.ppm" key:39 key:39 || return 1
    "$FRAME" "$WT_DIR/wl-waiting.ppm" || return 1
    wt_crop "$WT_DIR/wl-waiting.ppm" "$WT_DIR/wl-waiting-below.png" "${BELOW_OBSTACLES[@]}"
    wt_crop "$WT_DIR/wl-waiting.ppm" "$WT_DIR/wl-waiting-score.png" "${SCORE_LABEL[@]}"
    "$BOX_TOOL" "$WT_DIR/wl-box-expected.ppm" "$LOST_AT_ZERO" || return 1
    wl_start_game || return 1
    local x=${WL_AT[0]} y=${WL_AT[1]}
    wt_wait_root_matches "$WT_DIR/wl-load.ppm" "$WT_DIR/wl-load.png" "${WL_AT[@]}" || return 1
    xdotool key --delay 30 Right Right
    wt_wait_root_matches "$WT_DIR/wl-keys.ppm" "$WT_DIR/wl-keys.png" "${WL_AT[@]}" || return 1
    xdotool key --delay 30 Left Left  # back where it started
    aim_figure
    wl_open_box || return 1
    wl_close_box after || return 1

    # A second round, its box in the window the first box left: the figure
    # back in the middle and up into the obstacles' way, a step at a time, as
    # in the round on X11. The click gives the window the focus again, which
    # weston does not when the box closes.
    wl_click_prompt || return 1
    xdotool key --delay 5 --repeat 28 --repeat-delay 0 Down
    walk_up_until wt_find_weston_box || return 1
    wl_close_box again || return 1
    # The close button: the frame's top right corner, over the title bar.
    wt_geometry "$WT_WESTON_WIN" || return 1
    if ((y - 24 < WT_Y + 32)); then
        wt_note "weston placed the window's title bar under its panel"
        return 1
    fi
    wt_weston_pointer $((x + 448)) $((y - 12))
    xdotool click 1
    wl_expect_exit
}

# On Wayland F11 goes to full screen through SDL and the compositor: weston's
# 800 x 600 output takes the playfield once, centred on black (below the
# panel's height, where weston's pointer rests); F11 again brings the window
# back.
case_wayland_full_screen() {
    wl_start_game || return 1
    "$FRAME" "$WT_DIR/wl-full.ppm" key:122 || return 1
    convert -size 800x600 xc:black "$WT_DIR/wl-full.ppm" -geometry +168+125 -composite -crop 800x568+0+32 +repage \
        "$WT_DIR/wl-full.png" || return 1
    xdotool key F11
    wt_geometry "$WT_WESTON_WIN" || return 1
    wt_wait_root_matches "$WT_DIR/wl-full.png" "$WT_DIR/wl-full-shot.png" "$WT_X" $((WT_Y + 32)) 800 568 || return 1
    xdotool key F11
    wt_find_playfield 464 349
}

# SIGTERM while the box is open on Wayland ends the game with status 0.
case_wayland_box_term() {
    "$BOX_TOOL" "$WT_DIR/wl-box-expected.ppm" "$LOST_AT_ZERO" || return 1
    wl_start_game || return 1
    aim_figure
    wl_open_box || return 1
    kill -TERM "$GAME_PID"
    wl_expect_exit
}

# --- runner ----------------------------------------------------------------------

wt_setup || exit 1
if ! wt_start_display || ! wt_start_wm; then
    echo "not ok - the X server and the window manager start"
    echo "0 passed, 1 failed"
    WT_KEEP=1
    exit 1
fi

# The groups (tests/CMakeLists.txt runs each as a test of its own, side by
# side): what the window shows and how input steers it; a round and the
# figure's input during it; the message box; how the program ends; Wayland.
wt_group frames
wt_run_case "window at load: caption, size, fixed size, first frame" case_window_at_load
wt_run_case "arrow keys steer the figure as headless" case_arrow_keys
wt_run_case "a mouse move steers the figure as headless" case_mouse_move
wt_run_case "a drag that leaves the window keeps steering" case_drag_out
wt_run_case "German layout: ö redraws in place, keypad 4 without NumLock steps left" case_german_keys
wt_run_case "at twice the density: twice the size, crisp, steered in playfield pixels" case_scaled

wt_group screen
wt_run_case "F11 and Alt+Enter: full screen at 3x, centred on black, steered in its pixels, and back; kept" \
    case_full_screen
wt_run_case "zoom keys: each whole scale that fits, crisp and pinned; kept; --scale wins and is fitted" case_zoom
wt_run_case "settings that cannot be read or kept: one line on stderr, the game plays on, status 0" \
    case_settings_not_kept
wt_run_case "the box in full screen: at 3x, over it, with the focus; F11, Alt+Enter, zoom keep it; Enter closes it" \
    case_box_full_screen

wt_group round
wt_run_case "a round: start, score, collision box, dismiss, start again" case_round
wt_run_case "a release over the title bar or the desktop is no click" case_release_outside
wt_run_case "SIGSTOP for a second, then SIGCONT: the round goes on" case_stop_continue
wt_run_case "a flood of pointer movements leaves memory where it was" case_flood

wt_group box
wt_run_case "the box: title, owner, place, fixed size, as drawn headless; Enter closes it" case_box
wt_run_case "a click on OK closes the box and the window waits again" box_dismiss_case click
wt_run_case "Escape closes the box" box_dismiss_case Escape
wt_run_case "Space closes the box" box_dismiss_case space
wt_run_case "the box's close button closes it" box_dismiss_case close
wt_run_case "clicks, keys and moves to the game window while the box is open are dropped" case_box_drops_input
wt_run_case "a box that cannot be shown: its text on stderr, the game goes on" case_box_not_shown
wt_run_case "the game window and the box offer only the close button" case_only_close_button

wt_group exit
wt_run_case "closing the waiting window ends with status 0" close_case close
wt_run_case "closing the window during a round ends with status 0" close_case close during-round
wt_run_case "SIGTERM ends with status 0" close_case TERM
wt_run_case "SIGTERM during a round ends with status 0" close_case TERM during-round
wt_run_case "SIGINT ends with status 0" close_case INT
wt_run_case "closing the game window while the box is open ends with status 0" box_quit_case close
wt_run_case "SIGTERM while the box is open ends with status 0" box_quit_case TERM
wt_run_case "SIGINT while the box is open ends with status 0" box_quit_case INT
wt_run_case "the X server killed during a round: the game ends within a second" case_display_killed
wt_run_case "the window manager stopped at start-up: SIGTERM ends with status 0 within a second" wm_stopped_case TERM start
wt_run_case "the window manager stopped at start-up: SIGINT ends with status 0 within a second" wm_stopped_case INT start
wt_run_case "the window manager stopped at game over: SIGTERM ends with status 0 within a second" wm_stopped_case TERM over
wt_run_case "stderr closed: the exit report does not hang a close request" stderr_closed_case stats
wt_run_case "stderr closed: a box that cannot be shown, the game goes on and a close ends it" stderr_closed_case box
wt_run_case "without DISPLAY: one line on stderr, status 1" no_display_case -u DISPLAY
wt_run_case "without DISPLAY, an unreachable Wayland display: one line on stderr, status 1" \
    no_display_case -u DISPLAY WAYLAND_DISPLAY=brennow-none
wt_run_case "with an unreachable display: one line on stderr, status 1" no_display_case DISPLAY=:987
wt_run_case "the wait for input fails: the reason on stderr, status 1, no spin" case_wait_fails

wt_group wayland
wt_run_case "on Wayland: the playfield and the box as headless, keys, Enter, the close button" case_wayland
wt_run_case "on Wayland: SIGTERM while the box is open ends with status 0" case_wayland_box_term
wt_run_case "on Wayland: F11 to full screen, centred on black, and back" case_wayland_full_screen

wt_group replay
wt_run_case "a recorded round plays back to the same box over the same frame, and verifies" case_replay
wt_run_case "a recording killed mid-round verifies the round finished before" case_replay_killed
wt_run_case "--record to a file that exists: one line, status 2, no window" case_record_exists

wt_summary
