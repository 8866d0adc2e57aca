#!/bin/bash
# What waiting for the start click costs with a gamepad connected and
# untouched, against none, in a real window on a private X server.
#   bench/pads.sh [BUILD_DIR]     (default: build-bench, the bench preset)
# Runs build/bench/brennow_pad_game (the game, with one of SDL's virtual pads
# plugged in once the window shows) in each of MODES (default "none pad
# sdl-polls"), RUNS (default 5) times alternately, and prints medians of CPU
# and wake-ups over SAMPLE (default 10) seconds of waiting, and of the time
# until the window is mapped.
#   none       no pad
#   pad        a pad connected
#   sdl-polls  a pad connected, and SDL left to update the pads itself
#              (SDL_AUTO_UPDATE_JOYSTICKS=1, SDL's default): what the game
#              would cost without sampling them itself

set -u
ROOT=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(realpath -- "${1:-$ROOT/build-bench}") || exit 2
PAD_GAME=$BUILD/bench/brennow_pad_game
if [[ ! -x $PAD_GAME ]]; then
    echo "$PAD_GAME is missing: cmake --preset bench && cmake --build --preset bench" >&2
    exit 2
fi
RUNS=${RUNS:-5}
SAMPLE=${SAMPLE:-10}
MODES=${MODES:-none pad sdl-polls}
CLK_TCK=$(getconf CLK_TCK)

# shellcheck source=tests/lib/window.sh
source "$ROOT/tests/lib/window.sh"
# shellcheck source=bench/proc.sh
source "$ROOT/bench/proc.sh"


# run MODE: launches the game in MODE, samples it waiting, ends it.
run() {
    local mode=$1 arg=$1 start now idle
    local env=()
    if [[ $mode == sdl-polls ]]; then
        arg=pad
        env=(SDL_AUTO_UPDATE_JOYSTICKS=1)
    fi
    xdotool mousemove 1023 767
    start=${EPOCHREALTIME/./}
    env --default-signal=INT,QUIT "${env[@]}" "$PAD_GAME" "$arg" >"$WT_DIR/out" 2>"$WT_DIR/err" &
    GAME_PID=$!
    until [[ -n $(xdotool search --onlyvisible --pid "$GAME_PID" 2>/dev/null) ]]; do
        now=${EPOCHREALTIME/./}
        if ((now - start > WT_TIMEOUT * 1000000)) || wt_not_running "$GAME_PID"; then
            wt_note "$mode: no window: $(head -c 300 "$WT_DIR/err")"
            wt_stop_game
            return 1
        fi
    done
    now=${EPOCHREALTIME/./}
    record "$mode.map" "$(awk -v us=$((now - start)) 'BEGIN { printf "%.1f\n", us / 1000 }')"
    sleep 1
    if ! idle=$(sample "$GAME_PID"); then
        wt_note "$mode: the game ended: $(head -c 300 "$WT_DIR/err")"
        wt_stop_game
        return 1
    fi
    read -r cpu cpuns wakeups <<<"$idle"
    record "$mode.cpu" "$cpu"
    record "$mode.cpuns" "$cpuns"
    record "$mode.wakeups" "$wakeups"
    local started
    started=$(awk '$1 == "brennow" && $2 == "pads:" { print $7 }' "$WT_DIR/err")
    [[ -n $started ]] && record "$mode.subsystem" "$started"
    wt_stop_game
}

wt_setup || exit 1
if ! wt_start_display || ! wt_start_wm; then
    echo "the X server or the window manager did not start" >&2
    exit 1
fi
failures=0
for ((i = 1; i <= RUNS; i++)); do
    echo "# run $i of $RUNS" >&2
    for mode in $MODES; do
        run "$mode" || failures=$((failures + 1))
    done
done

echo "Waiting for the start click, with and without a pad: medians of $RUNS runs of ${SAMPLE} s, Xvfb + openbox"
echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), SDL $(sdl2-config --version 2>/dev/null || echo '?')"
printf '%-10s %10s %10s %12s %10s %16s\n' mode "CPU %" "sched %" "wake-ups/s" "map ms" "subsystem ms"
for mode in $MODES; do
    printf '%-10s %10s %10s %12s %10s %16s\n' "$mode" "$(median "$mode.cpu")" "$(median "$mode.cpuns")" \
        "$(median "$mode.wakeups")" "$(median "$mode.map")" "$(median "$mode.subsystem")"
done
if ((failures > 0)); then
    echo "$failures runs failed; their figures are missing from the medians"
    exit 1
fi
