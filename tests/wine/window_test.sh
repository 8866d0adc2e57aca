#!/bin/bash
# Drives the Windows build's game window under Wine, on a private X server,
# and compares what it shows with the frames the Linux build's headless
# backend composes for the same input: the same pixels on both systems.
#   window_test.sh WINE_RUN BRENNOW_EXE FRAME_TOOL BOX_TOOL
# WINE_RUN runs a Windows program in the build's Wine prefix; FRAME_TOOL and
# BOX_TOOL are the Linux build's. Prints "ok - NAME" or "not ok - NAME" per
# case, the figures measured as "# " lines, then "N passed, M failed".

if (($# != 4)); then
    echo "usage: $0 WINE_RUN BRENNOW_EXE FRAME_TOOL BOX_TOOL" >&2
    exit 2
fi
WINE_RUN=$(realpath -- "$1") || exit 2
EXE=$(realpath -- "$2") || exit 2
FRAME=$(realpath -- "$3") || exit 2
BOX_TOOL=$(realpath -- "$4") || exit 2

# shellcheck source=tests/lib/window.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/../lib/window.sh"
# Wine takes a second or so to start a program.
WT_TIMEOUT=${WT_TIMEOUT:-30}

# The game, as one process whose pid is the program's: the wrappers exec.
GAME=""
make_launcher() {
    GAME=$WT_DIR/brennow
    printf '#!/bin/sh\nexec %q %q "$@"\n' "$WINE_RUN" "$EXE" >"$GAME"
    chmod +x "$GAME"
}

# Sets the density Windows gives the desktop, in the prefix's registry.
set_density() {
    "$WINE_RUN" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}

click_at() {
    xdotool mousemove --window "$GAME_WIN" "$1" "$2" click 1
}

aim_figure() {
    xdotool key --delay 5 --repeat 28 --repeat-delay 0 Up
}

# CPU seconds the process has used, user and system, in clock ticks.
cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

# Wine tells the window manager which of move, resize, minimise, maximise and
# close the window's style allows, in _MOTIF_WM_HINTS: flags, functions, ...;
# the functions are move (4) and close (32) only.
only_move_and_close() {
    local motif functions
    motif=$(xprop -id "$GAME_WIN" _MOTIF_WM_HINTS 2>/dev/null)
    functions=$(sed -n 's/.* = [^,]*, \([^,]*\),.*/\1/p' <<<"$motif")
    if [[ -z $functions ]] || (((functions & ~36) != 0)); then
        wt_note "the window manager may do more than move and close the window: $motif"
        return 1
    fi
}

# --- cases ---------------------------------------------------------------------

# Caption, client size, fixed size, only the close button (Wine tells the
# window manager which of move, resize, minimise, maximise and close the
# window's style allows), the first frame; and how long until it was mapped.
case_window_at_load() {
    local failed=0 value started
    "$FRAME" "$WT_DIR/load-expected.ppm" || return 1
    started=$(wt_now_ms)
    wt_start_game "$GAME" || return 1
    wt_note "the window was mapped $(($(wt_now_ms) - started)) ms after the launch"

    value=$(wt_xprop "$GAME_WIN" _NET_WM_NAME)
    [[ $value == Orvixel ]] || { wt_note "_NET_WM_NAME is '$value'"; failed=1; }
    wt_geometry "$GAME_WIN" || return 1
    [[ "${WT_W}x$WT_H" == 464x349 ]] || { wt_note "the client area is ${WT_W}x$WT_H"; failed=1; }
    wt_size_pinned "$GAME_WIN" 464 349 || failed=1
    only_move_and_close || failed=1
    wt_wait_matches "$GAME_WIN" "$WT_DIR/load-expected.ppm" "$WT_DIR/load-shot.png" || failed=1
    return "$failed"
}

case_keys_and_mouse() {
    "$FRAME" "$WT_DIR/keys-expected.ppm" key:39 key:39 key:40 || return 1
    "$FRAME" "$WT_DIR/move-expected.ppm" key:39 key:39 key:40 "move:${FREE_POINT[0]},${FREE_POINT[1]}" || return 1
    wt_start_game "$GAME" || return 1
    wt_focus "$GAME_WIN" || return 1
    wt_shot "$GAME_WIN" "$WT_DIR/keys-before.png" || return 1
    xdotool key --delay 30 Right Right Down
    wt_wait_changed "$GAME_WIN" "$WT_DIR/keys-before.png" "$WT_DIR/keys-changed.png" || return 1
    wt_wait_matches "$GAME_WIN" "$WT_DIR/keys-expected.ppm" "$WT_DIR/keys-shot.png" || return 1
    # The pointer enters over an obstacle, where a movement steers nothing,
    # and then jumps: the figure sees exactly one movement over the free area.
    xdotool mousemove --window "$GAME_WIN" "${OBSTACLE_POINT[@]}"
    xdotool mousemove --window "$GAME_WIN" "${FREE_POINT[@]}"
    wt_wait_matches "$GAME_WIN" "$WT_DIR/move-expected.ppm" "$WT_DIR/move-shot.png"
}

# A round lost at its first tick: the box, owned by the game window, as drawn
# headless; Enter closes it and the window waits again.
case_box() {
    local failed=0 owner
    "$BOX_TOOL" "$WT_DIR/box-expected.ppm" "$LOST_AT_ZERO" || return 1
    "$FRAME" "$WT_DIR/waiting.ppm" || return 1
    wt_crop "$WT_DIR/waiting.ppm" "$WT_DIR/waiting-below.png" 0 110 464 239
    wt_start_game "$GAME" || return 1
    wt_focus "$GAME_WIN" || return 1
    aim_figure
    click_at "${PROMPT_POINT[@]}"
    wt_wait_until "$WT_TIMEOUT" "the message box" wt_find_box || return 1
    owner=$(xprop -id "$BOX_WIN" WM_TRANSIENT_FOR 2>/dev/null)
    if [[ ${owner##* } != $(printf '0x%x' "$GAME_WIN") ]]; then
        wt_note "the message box does not belong to the game window: $owner"
        failed=1
    fi
    wt_wait_matches "$BOX_WIN" "$WT_DIR/box-expected.ppm" "$WT_DIR/box-shot.png" || failed=1
    ((failed == 0)) || return 1
    wt_wait_until "$WT_TIMEOUT" "the message box to get the focus" wt_has_focus "$BOX_WIN" || return 1
    xdotool key Return
    wt_wait_until "$WT_TIMEOUT" "the message box to close" wt_no_box || return 1
    wt_wait_matches "$GAME_WIN" "$WT_DIR/waiting-below.png" "$WT_DIR/after-box.png" 0 110 464 239
}

# What the game keeps, in the Wine prefix's APPDATA: Wine sets APPDATA
# itself, so the tests' XDG_CONFIG_HOME does not reach it.
clear_kept() {
    rm -rf -- "$(dirname -- "$WINE_RUN")"/wine-prefix/drive_c/users/*/AppData/Roaming/Brennow
}

# F11 takes the window to full screen, the playfield at 3x centred on black,
# and back, with only the close button again; one zoom step doubles the window, crisp. Every key reaches the
# form as well (F11 is 122, Ctrl 17, = 187). The pointer rests over the
# score, where neither the window nor full screen's playfield will be.
case_full_screen_and_zoom() {
    local status=0
    clear_kept
    full_screen_and_zoom || status=$?
    # Whatever failed, no kept zoom or full screen reaches the next cases.
    clear_kept
    return "$status"
}

full_screen_and_zoom() {
    local failed=0
    # A Wine server still up from the last case keeps the last screen's
    # size, and full screen would take that.
    WINEPREFIX=$(dirname -- "$WINE_RUN")/wine-prefix timeout 30 wineserver -w 2>/dev/null
    WT_SCREEN=1920x1080x24 wt_restart_display || return 1
    wt_start_game "$GAME" || return 1
    wt_focus "$GAME_WIN" || return 1
    xdotool mousemove 200 20
    xdotool key F11
    wt_wait_size 1920 1080 || return 1
    wt_wait_enlarged 3 264 16 full key:122 || failed=1
    xdotool key F11
    wt_wait_size 464 349 || return 1
    wt_wait_enlarged 1 0 0 back key:122 key:122 || failed=1
    # Leaving full screen gave the window SDL's style again, minimise button
    # and all: only the close button once more.
    sleep 0.5
    only_move_and_close || failed=1
    xdotool key ctrl+equal
    wt_wait_size 928 698 || return 1
    wt_wait_enlarged 2 0 0 zoomed key:122 key:122 key:17 key:187 || failed=1
    wt_stop_game
    return "$failed"
}

# Asked to close, the game ends with status 0.
case_close() {
    wt_start_game "$GAME" || return 1
    wmctrl -i -c "$GAME_WIN"
    wt_wait_game_exit || return 1
    ((GAME_STATUS == 0)) || { wt_note "the game ended with status $GAME_STATUS"; return 1; }
}

# Waiting for the start click the game uses next to no CPU; a round's
# cadence, as the game counts its timer ticks.
case_idle_and_round() {
    local before after
    WT_GAME_ENV=(BRENNOW_STATS=1)
    wt_start_game "$GAME"
    local started=$?
    WT_GAME_ENV=()
    ((started == 0)) || return 1
    sleep 2
    before=$(cpu_ticks "$GAME_PID")
    sleep 10
    after=$(cpu_ticks "$GAME_PID")
    local ms=$(((after - before) * 1000 / $(getconf CLK_TCK)))
    wt_note "CPU while waiting for the start click: $ms ms in 10 s"
    if ((ms > 200)); then
        wt_note "more than 2 % of a core while waiting"
        return 1
    fi
    wt_focus "$GAME_WIN" || return 1
    xdotool key --delay 5 --repeat 70 --repeat-delay 0 Left
    wt_shot "$GAME_WIN" "$WT_DIR/round-before.png" "${OBSTACLE_ROW[@]}" || return 1
    click_at "${PROMPT_POINT[@]}"
    # Now and then Wine loses a click that follows a burst of keys at once; a
    # second click on the form during a round changes nothing, so it is
    # clicked once more, and said.
    if ! WT_TIMEOUT=4 wt_wait_changed "$GAME_WIN" "$WT_DIR/round-before.png" "$WT_DIR/round-moving.png" \
        "${OBSTACLE_ROW[@]}"; then
        wt_note "the start click was lost; clicked again"
        click_at "${PROMPT_POINT[@]}"
        wt_wait_changed "$GAME_WIN" "$WT_DIR/round-before.png" "$WT_DIR/round-moving.png" "${OBSTACLE_ROW[@]}" ||
            return 1
    fi
    before=$(cpu_ticks "$GAME_PID")
    sleep 10
    after=$(cpu_ticks "$GAME_PID")
    wt_note "CPU in a round: $(((after - before) * 1000 / $(getconf CLK_TCK))) ms in 10 s"
    wmctrl -i -c "$GAME_WIN"
    wt_wait_game_exit || return 1
    grep '^brennow stats' "$WT_DIR/game.err" | sed 's/^/# /' >&2
    ((GAME_STATUS == 0))
}

# Windows says the desktop has twice the standard density: the playfield is
# shown twice as large, each pixel a crisp square.
case_dense() {
    "$FRAME" "$WT_DIR/dense.ppm" || return 1
    convert "$WT_DIR/dense.ppm" -sample 200% "$WT_DIR/dense-expected.png" || return 1
    WT_SCREEN=2048x1536x24 wt_restart_display || return 1
    set_density 192 || return 1
    wt_start_game "$GAME"
    local started=$?
    set_density 96
    ((started == 0)) || return 1
    wt_geometry "$GAME_WIN" || return 1
    [[ "${WT_W}x$WT_H" == 928x698 ]] || { wt_note "the client area is ${WT_W}x$WT_H"; return 1; }
    wt_wait_matches "$GAME_WIN" "$WT_DIR/dense-expected.png" "$WT_DIR/dense-shot.png"
}

# --- runner ----------------------------------------------------------------------

wt_setup || exit 1
make_launcher
if ! wt_start_display || ! wt_start_wm; then
    echo "not ok - the X server and the window manager start"
    echo "0 passed, 1 failed"
    WT_KEEP=1
    exit 1
fi
# A new build's Wine prefix is made on first use (wineboot), which took a
# minute and a half here: made now, before a case times the game's start.
timeout 300 "$WINE_RUN" reg query 'HKCU\Control Panel\Desktop' >/dev/null 2>&1

wt_run_case "window at load: caption, size, fixed size, only the close button, first frame" case_window_at_load
wt_run_case "arrow keys and a mouse move steer the figure as headless" case_keys_and_mouse
wt_run_case "a lost round: the box owned by the window, as drawn headless; Enter closes it" case_box
wt_run_case "closing the window ends with status 0" case_close
wt_run_case "F11 to full screen at 3x and back, one zoom step to 2x, each crisp" case_full_screen_and_zoom
wt_run_case "next to no CPU while waiting; a round's cadence" case_idle_and_round
wt_run_case "at twice the density Windows gives: twice the size, crisp" case_dense

wt_summary
