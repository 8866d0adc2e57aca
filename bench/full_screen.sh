#!/bin/bash
# Measures the game in full screen against the same game at 1x, side by
# side, on private X servers of each size in SCREENS (default "1920x1080
# 3840x2160", where full screen is 3x and 6x), with openbox.
#   bench/full_screen.sh [BUILD_DIR]     (default: build-bench, the bench preset)
# RUNS (default 5) rounds of each, alternately; every figure is the median.
# SAMPLE (default 10) seconds per CPU sample. Each run also times a
# full-screen toggle: from F11 until the screen shows the first full-screen
# frame (read by screenshots, so to some 20 ms).

set -u
ROOT=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(realpath -- "${1:-$ROOT/build-bench}") || exit 2
GAME=$BUILD/brennow
[[ -x $GAME ]] || { echo "$GAME is missing: cmake --preset bench && cmake --build --preset bench" >&2; exit 2; }
RUNS=${RUNS:-5}
SAMPLE=${SAMPLE:-10}
SCREENS=${SCREENS-1920x1080 3840x2160}
CLK_TCK=$(getconf CLK_TCK)

# shellcheck source=tests/lib/window.sh
source "$ROOT/tests/lib/window.sh"
# shellcheck source=bench/proc.sh
source "$ROOT/bench/proc.sh"

# The playfield's place in full screen on a W x H screen: SCALE X Y.
placement() {
    local w=$1 h=$2 scale
    scale=$(((w / 464) < (h / 349) ? w / 464 : h / 349))
    echo "$scale $(((w - 464 * scale) / 2)) $(((h - 349 * scale) / 2))"
}

# round TAG SCALE X Y [ARGUMENT...]: waiting and a parked round's CPU, with the
# playfield at SCALE at X Y of the window.
round() {
    local tag=$1 scale=$2 x=$3 y=$4 idle busy
    shift 4
    wt_start_game "$GAME" "$@" || return 1
    wt_focus "$GAME_WIN" || return 1
    sleep 1
    idle=$(sample "$GAME_PID") || return 1
    record "$tag.waiting.cpu" "$(cut -d' ' -f1 <<<"$idle")"
    record "$tag.waiting.wakeups" "$(cut -d' ' -f3 <<<"$idle")"
    xdotool key --delay 5 --repeat 70 --repeat-delay 0 Left
    sleep 0.3
    xdotool mousemove --window "$GAME_WIN" $((x + PROMPT_POINT[0] * scale)) $((y + PROMPT_POINT[1] * scale)) click 1
    sleep 0.5
    busy=$(sample "$GAME_PID") || return 1
    record "$tag.round.cpu" "$(cut -d' ' -f1 <<<"$busy")"
    record "$tag.peak" "$(peak_kib "$GAME_PID")"
    wt_stop_game
}

# The milliseconds from F11 until the screen shows the playfield's top left
# corner (black) beside its first lit pixel at full screen's place.
toggle() {
    local scale=$1 x=$2 y=$3 start now deadline shot=$WT_DIR/toggle.png
    wt_start_game "$GAME" || return 1
    wt_focus "$GAME_WIN" || return 1
    xdotool mousemove 0 0
    sleep 0.5
    start=${EPOCHREALTIME/./}
    deadline=$((start + WT_TIMEOUT * 1000000))
    xdotool key F11
    # The five obstacles' row, 3 playfield pixels high, where full screen
    # puts it: lit once the full-screen frame is shown.
    until import -silent -window root -crop "$((200 * scale))x$((3 * scale))+$((x + 100 * scale))+$((y + 70 * scale))" \
        +repage "$shot" 2>/dev/null && (($(wt_count_lit "$shot") > 0)); do
        now=${EPOCHREALTIME/./}
        ((now < deadline)) || { wt_note "no full-screen frame"; wt_stop_game; return 1; }
    done
    now=${EPOCHREALTIME/./}
    record "$1.toggle" "$(awk -v us=$((now - start)) 'BEGIN { printf "%.0f\n", us / 1000 }')"
    wt_stop_game
}

wt_setup || exit 1
echo "Brennow in full screen against the same at 1x: medians of $RUNS runs, Xvfb + openbox"
echo "machine: $(nproc) cores, $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)"
failures=0
for screen in $SCREENS; do
    read -r scale x y < <(placement "${screen%x*}" "${screen#*x}")
    WT_SCREEN=${screen}x24 wt_restart_display || exit 1
    for ((run = 1; run <= RUNS; run++)); do
        echo "# $screen: run $run of $RUNS" >&2
        round "$screen.1x" 1 0 0 --window --scale=1 || { wt_stop_game; failures=$((failures + 1)); }
        round "$screen.full" "$scale" "$x" "$y" --fullscreen || { wt_stop_game; failures=$((failures + 1)); }
        toggle "$scale" "$x" "$y" || failures=$((failures + 1))
    done
    printf '%-48s %10s %10s %6s\n' "$screen, full screen at ${scale}x" "full" "1x" ratio
    for what in round.cpu waiting.cpu waiting.wakeups peak; do
        full=$(median "$screen.full.$what") one=$(median "$screen.1x.$what")
        printf '%-48s %10s %10s %6s\n' "  $what" "$full" "$one" \
            "$(awk -v a="$full" -v b="$one" 'BEGIN { if (b + 0 > 0) printf "%.2f", a / b; else print "-" }')"
    done
    echo "  F11 to the first full-screen frame shown: $(median "$scale.toggle") ms"
done
((failures == 0)) || { echo "$failures runs failed" >&2; exit 1; }
