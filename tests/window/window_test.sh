#!/bin/bash
# Drives the real game window on a private X server and compares what it
# shows with the frames the headless backend composes for the same input.
#   window_test.sh BRENNOW_BIN FRAME_TOOL_BIN
# Prints "ok - NAME" or "not ok - NAME" per case, then "N passed, M failed".

if (($# != 2)); then
    echo "usage: $0 BRENNOW_BIN FRAME_TOOL_BIN" >&2
    exit 2
fi
GAME=$(realpath -- "$1") || exit 2
FRAME=$(realpath -- "$2") || exit 2

# shellcheck source=tests/window/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"

# The design's client-area rectangles the cases look at (x y w h).
readonly OBSTACLE_ROW=(100 55 200 45)   # where the obstacles start
readonly SCORE_LABEL=(184 8 97 33)
readonly BELOW_OBSTACLES=(0 110 464 239) # the prompt and the free area below it
readonly PROMPT_POINT=(200 180)
readonly FREE_POINT=(300 250)
readonly OBSTACLE_POINT=(130 74)         # over obstacle 0 at load

# The figure starts in the middle and moves 4 pixels a key. Seventy steps
# left put it wholly off the playfield, where no obstacle can reach it, so a
# round lasts until the figure is brought back.
park_figure() {
    xdotool key --delay 5 --repeat 70 --repeat-delay 0 Left
}

unpark_figure() {
    xdotool key --delay 5 --repeat 70 --repeat-delay 0 Right
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

# --- cases ---------------------------------------------------------------------

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

    # Not resizable: the smallest and the largest size the window asks for
    # are both its size.
    local hints
    hints=$(xprop -id "$GAME_WIN" WM_NORMAL_HINTS)
    if ! grep -q 'minimum size: 464 by 349$' <<<"$hints" || ! grep -q 'maximum size: 464 by 349$' <<<"$hints"; then
        wt_note "the size hints do not pin the size to 464x349: $(tr '\n\t' '  ' <<<"$hints")"
        failed=1
    fi

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
    local steps=0 deadline=$(($(wt_now_ms) + 15000))
    until wt_find_box; do
        if (($(wt_now_ms) >= deadline)); then
            wt_note "no message box within 15s of steering into the obstacles"
            wt_shot "$GAME_WIN" "$WT_DIR/round-no-box.png"
            return 1
        fi
        if ((steps < 30)); then
            xdotool key Up
            steps=$((steps + 1))
        fi
        sleep 0.2
    done
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

    xdotool key --window "$BOX_WIN" Return
    wt_wait_until "$WT_TIMEOUT" "the message box to close" wt_no_box || return 1

    # Waiting again: the prompt is back, the score label is empty and the
    # figure is not drawn. (The obstacles need not be at their places: the
    # tick that ended the round goes on moving the rest on the new form.)
    wt_wait_matches "$GAME_WIN" "$WT_DIR/round-load-below.png" "$WT_DIR/round-after-below.png" \
        "${BELOW_OBSTACLES[@]}" || return 1
    wt_wait_matches "$GAME_WIN" "$WT_DIR/round-load-score.png" "$WT_DIR/round-after-score.png" \
        "${SCORE_LABEL[@]}" || return 1

    start_round round-again
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

# --- runner ----------------------------------------------------------------------

passed=0
failed=0

run_case() {
    local name=$1
    shift
    if "$@"; then
        echo "ok - $name"
        passed=$((passed + 1))
    else
        echo "not ok - $name"
        failed=$((failed + 1))
        WT_KEEP=1
    fi
    wt_stop_game
}

wt_setup || exit 1
if ! wt_start_display || ! wt_start_wm; then
    echo "not ok - the X server and the window manager start"
    echo "0 passed, 1 failed"
    WT_KEEP=1
    exit 1
fi

run_case "window at load: caption, size, fixed size, first frame" case_window_at_load
run_case "arrow keys steer the figure as headless" case_arrow_keys
run_case "a mouse move steers the figure as headless" case_mouse_move
run_case "a round: start, score, collision box, dismiss, start again" case_round
run_case "closing the waiting window ends with status 0" close_case close
run_case "closing the window during a round ends with status 0" close_case close during-round
run_case "SIGTERM ends with status 0" close_case TERM
run_case "SIGTERM during a round ends with status 0" close_case TERM during-round
run_case "SIGINT ends with status 0" close_case INT
run_case "without DISPLAY: one line on stderr, status 1" no_display_case -u DISPLAY
run_case "with an unreachable display: one line on stderr, status 1" no_display_case DISPLAY=:987

echo "$passed passed, $failed failed"
((failed == 0))
