#!/bin/bash
# Measures the game in a real window against bench/reference.cpp, the least
# an SDL2 program does to open the same window, on a private X server.
#   bench/measure.sh [BUILD_DIR]     (default: build-bench, the bench preset)
# RUNS (default 5) launches of each, alternately; every figure is the median.
# The time to map is noisy on a shared machine, so each run also launches
# both MAPS (default 3) more times just for it; its minimum is shown too.
# SAMPLE (default 10) seconds per CPU sample; SCORE (default 60) seconds of
# the round after which the score is read; SCORE=0 skips that run. Each run
# also plays a round at every scale in SCALES (default "1 2 3", as a dense
# display asks through GDK_SCALE), side by side; SCALES="" skips them.
#
# The game runs with BRENNOW_STATS=1, which makes it tell at exit how often
# each timer ticked: that gives the cadence without a screenshot.

set -u
ROOT=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(realpath -- "${1:-$ROOT/build-bench}") || exit 2
GAME=$BUILD/brennow
REFERENCE=$BUILD/bench/brennow_reference
for bin in "$GAME" "$REFERENCE"; do
    if [[ ! -x $bin ]]; then
        echo "$bin is missing: cmake --preset bench && cmake --build --preset bench" >&2
        exit 2
    fi
done
RUNS=${RUNS:-5}
MAPS=${MAPS:-3}
SAMPLE=${SAMPLE:-10}
SCORE=${SCORE:-60}
SCALES=${SCALES-1 2 3}
# A screen large enough for the window at three times its size.
export WT_SCREEN=${WT_SCREEN:-2048x1536x24}
CLK_TCK=$(getconf CLK_TCK)

# shellcheck source=tests/lib/window.sh
source "$ROOT/tests/lib/window.sh"

# cpu_ticks, cpu_ns, switches, peak_kib and sample
# shellcheck source=bench/proc.sh
source "$ROOT/bench/proc.sh"

# --- launching -------------------------------------------------------------------

PID=""
MAP_MS=""

pid_window_visible() {
    [[ -n $(xdotool search --onlyvisible --pid "$PID" 2>/dev/null) ]]
}

# launch BINARY ARGS...: starts it and waits until its window is mapped; sets
# PID and MAP_MS, the time from launch until then. The poll is tight, so that
# it adds only the few milliseconds one xdotool takes.
launch() {
    xdotool mousemove 1023 767
    local start=${EPOCHREALTIME/./} now deadline
    env --default-signal=INT,QUIT "$@" >"$WT_DIR/out" 2>"$WT_DIR/err" &
    PID=$!
    GAME_PID=$PID  # lib.sh's cleanup ends it if we are interrupted
    deadline=$((start + WT_TIMEOUT * 1000000))
    until pid_window_visible; do
        now=${EPOCHREALTIME/./}
        if ((now >= deadline)) || wt_not_running "$PID"; then
            wt_note "$1 did not map a window: $(head -c 300 "$WT_DIR/err")"
            return 1
        fi
    done
    now=${EPOCHREALTIME/./}
    MAP_MS=$(awk -v us=$((now - start)) 'BEGIN { printf "%.1f\n", us / 1000 }')
    GAME_WIN=$(xdotool search --onlyvisible --pid "$PID" | head -n 1)
}

# Ends the launched program as the desktop would at log-out, and checks that
# it ended well.
finish() {
    kill -TERM "$PID"
    if ! wt_wait_until "$WT_TIMEOUT" "process $PID to end" wt_not_running "$PID"; then
        wt_stop_game
        return 1
    fi
    wait "$PID"
    local status=$?
    GAME_PID=""
    if ((status != 0)); then
        wt_note "ended with status $status: $(head -c 300 "$WT_DIR/err")"
        return 1
    fi
}

# Starts a round with the figure walked off the playfield first, so that no
# obstacle ever reaches it and the round runs until the program is ended.
# SCALE: window pixels per playfield pixel.
start_parked_round() {
    local scale=${1:-1}
    wt_focus "$GAME_WIN" || return 1
    xdotool key --delay 5 --repeat 70 --repeat-delay 0 Left
    sleep 0.3
    xdotool mousemove --window "$GAME_WIN" $((PROMPT_POINT[0] * scale)) $((PROMPT_POINT[1] * scale))
    CLICKED_US=${EPOCHREALTIME/./}  # the round starts a little after this
    xdotool click 1
}

# stat_line NAME: "TICKS ENABLED LAST" of one timer from the game's report.
stat_line() {
    awk -v name="$1" '$1 == "brennow" && $2 == "stats:" && $3 == name {
        gsub(",", ""); print $4, $8, $12 }' "$WT_DIR/err"
}

# --- statistics --------------------------------------------------------------------

minimum() {
    tr ' ' '\n' <<<"${VALUES[$1]:-}" | grep -v '^$' | sort -g | head -n 1
}


ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (a == "n/a" || b == "n/a" || b + 0 == 0) print "n/a";
                                     else printf "%.2f\n", a / b }'
}

# verdict RATIO LIMIT: "met" when the ratio is at most LIMIT.
verdict() {
    awk -v r="$1" -v l="$2" 'BEGIN { print (r != "n/a" && r + 0 <= l + 0) ? "met" : "missed" }'
}

# --- the runs ----------------------------------------------------------------------

run_game() {
    launch env BRENNOW_STATS=1 "$GAME" || return 1
    record game.map "$MAP_MS"
    sleep 1
    local idle round
    idle=$(sample "$PID") || return 1
    record game.waiting.cpu "$(cut -d' ' -f1 <<<"$idle")"
    record game.waiting.cpuns "$(cut -d' ' -f2 <<<"$idle")"
    record game.waiting.wakeups "$(cut -d' ' -f3 <<<"$idle")"
    record game.waiting.peak "$(peak_kib "$PID")"
    start_parked_round || return 1
    sleep 0.5
    round=$(sample "$PID") || return 1
    record game.round.cpu "$(cut -d' ' -f1 <<<"$round")"
    record game.round.cpuns "$(cut -d' ' -f2 <<<"$round")"
    record game.round.wakeups "$(cut -d' ' -f3 <<<"$round")"
    record game.peak "$(peak_kib "$PID")"
    finish || return 1
    local ticks enabled last
    read -r ticks enabled last < <(stat_line Timer1)
    [[ -n ${last:-} ]] || { wt_note "no statistics for Timer1"; return 1; }
    record game.timer1.rate "$(awk -v n="$ticks" -v a="$enabled" -v b="$last" 'BEGIN { printf "%.3f\n", n / (b - a) }')"
    record game.timer1.span "$(awk -v a="$enabled" -v b="$last" 'BEGIN { printf "%.2f\n", b - a }')"
}

run_reference() {
    launch "$REFERENCE" || return 1
    record ref.map "$MAP_MS"
    sleep 1
    local idle
    idle=$(sample "$PID") || return 1
    record ref.waiting.cpu "$(cut -d' ' -f1 <<<"$idle")"
    record ref.waiting.cpuns "$(cut -d' ' -f2 <<<"$idle")"
    record ref.waiting.wakeups "$(cut -d' ' -f3 <<<"$idle")"
    record ref.waiting.peak "$(peak_kib "$PID")"
    finish
}

run_reference_fps64() {
    launch "$REFERENCE" --fps64 || return 1
    record ref.map "$MAP_MS"
    sleep 1.5
    local round
    round=$(sample "$PID") || return 1
    record ref.round.cpu "$(cut -d' ' -f1 <<<"$round")"
    record ref.round.cpuns "$(cut -d' ' -f2 <<<"$round")"
    record ref.round.wakeups "$(cut -d' ' -f3 <<<"$round")"
    record ref.peak "$(peak_kib "$PID")"
    finish
}

# A round at SCALE times the size, the window's size checked.
run_scaled() {
    local scale=$1 round
    launch env GDK_SCALE="$scale" "$GAME" || return 1
    wt_geometry "$GAME_WIN" || return 1
    if [[ "${WT_W}x$WT_H" != "$((464 * scale))x$((349 * scale))" ]]; then
        wt_note "at scale $scale the window is ${WT_W}x$WT_H"
        finish
        return 1
    fi
    start_parked_round "$scale" || return 1
    sleep 0.5
    round=$(sample "$PID") || return 1
    record "scale$scale.round.cpu" "$(cut -d' ' -f1 <<<"$round")"
    record "scale$scale.peak" "$(peak_kib "$PID")"
    finish
}

# Launches both alternately just to time the mapping of their windows.
run_maps() {
    local i
    for ((i = 0; i < MAPS; i++)); do
        launch "$GAME" && finish || return 1
        record game.map "$MAP_MS"
        launch "$REFERENCE" && finish || return 1
        record ref.map "$MAP_MS"
    done
}

# The score after SCORE seconds of a round. The game reports its Scoring
# timer's ticks, ten points each, when it was enabled, its last tick and how
# long it ran: ended a little after SCORE seconds, it must have ticked exactly
# once for every tenth of a second since the start, and the last point must
# have come when it was due.
run_score() {
    launch env BRENNOW_STATS=1 "$GAME" || return 1
    start_parked_round || return 1
    local until_us=$((CLICKED_US + SCORE * 1000000 + 60000)) now
    while now=${EPOCHREALTIME/./}; ((now < until_us)); do
        sleep 0.01
    done
    finish || return 1
    local ticks enabled last ran
    read -r ticks enabled last < <(stat_line Scoring)
    ran=$(awk '$1 == "brennow" && $2 == "stats:" && $3 == "ran" { print $4 }' "$WT_DIR/err")
    [[ -n ${last:-} && -n $ran ]] || { wt_note "no statistics for Scoring"; return 1; }
    SCORE_POINTS=$((ticks * 10))
    SCORE_AT=$(awk -v a="$enabled" -v b="$last" 'BEGIN { printf "%.3f\n", b - a }')
    SCORE_DUE=$(awk -v a="$enabled" -v b="$ran" 'BEGIN { printf "%d\n", int((b - a) * 10 + 1e-9) * 10 }')
    read -r ticks enabled last < <(stat_line Timer1)
    SCORE_TIMER1=$(awk -v n="$ticks" -v a="$enabled" -v b="$last" 'BEGIN { printf "%.3f\n", n / (b - a) }')
}

wt_setup || exit 1
if ! wt_start_display || ! wt_start_wm; then
    echo "the X server or the window manager did not start" >&2
    exit 1
fi
# A throw-away launch first, so that every measured one finds the libraries
# in the page cache alike.
launch "$REFERENCE" && finish
launch "$GAME" && finish

failures=0
for ((run = 1; run <= RUNS; run++)); do
    echo "# run $run of $RUNS" >&2
    run_game || { wt_note "the game's run failed"; wt_stop_game; failures=$((failures + 1)); }
    run_reference || { wt_note "the reference's run failed"; wt_stop_game; failures=$((failures + 1)); }
    run_reference_fps64 || { wt_note "the reference's --fps64 run failed"; wt_stop_game; failures=$((failures + 1)); }
    run_maps || { wt_note "a launch to time the mapping failed"; wt_stop_game; failures=$((failures + 1)); }
    for scale in $SCALES; do
        run_scaled "$scale" || { wt_note "the round at scale $scale failed"; wt_stop_game; failures=$((failures + 1)); }
    done
done
SCORE_POINTS="" SCORE_AT="" SCORE_TIMER1=""
if ((SCORE > 0)); then
    echo "# the score after ${SCORE}s" >&2
    run_score || { wt_note "the score run failed"; wt_stop_game; failures=$((failures + 1)); }
fi

# --- the report ----------------------------------------------------------------------

line() {  # WHAT GAME REFERENCE UNIT [LIMIT]
    local r
    r=$(ratio "$2" "$3")
    if [[ -n ${5:-} ]]; then
        printf '%-44s %10s %10s %-5s %6s  goal <= %s: %s\n' "$1" "$2" "$3" "$4" "$r" "$5" "$(verdict "$r" "$5")"
    else
        printf '%-44s %10s %10s %-5s %6s\n' "$1" "$2" "$3" "$4" "$r"
    fi
}

echo "Brennow against the SDL2 reference: medians of $RUNS runs, Xvfb + openbox"
echo "machine: $(nproc) cores, $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)," \
    "Debian $(cat /etc/debian_version), SDL $(sdl2-config --version 2>/dev/null || echo '?')"
printf '%-44s %10s %10s %-5s %6s\n' "" game reference "" ratio
line "time from launch until the window is mapped" "$(median game.map)" "$(median ref.map)" ms 1.25
line "  the same, the quickest launch" "$(minimum game.map)" "$(minimum ref.map)" ms
line "peak resident memory, after a round" "$(median game.peak)" "$(median ref.peak)" KiB 1.5
line "peak resident memory, waiting" "$(median game.waiting.peak)" "$(median ref.waiting.peak)" KiB
line "CPU waiting for the start click (utime+stime)" "$(median game.waiting.cpu)" "$(median ref.waiting.cpu)" %
line "CPU waiting (scheduler clock)" "$(median game.waiting.cpuns)" "$(median ref.waiting.cpuns)" %
line "wake-ups a second while waiting" "$(median game.waiting.wakeups)" "$(median ref.waiting.wakeups)" /s
line "CPU in a round, against 64 fps (utime+stime)" "$(median game.round.cpu)" "$(median ref.round.cpu)" % 1.5
line "CPU in a round (scheduler clock)" "$(median game.round.cpuns)" "$(median ref.round.cpuns)" % 1.5
line "wake-ups a second in a round" "$(median game.round.wakeups)" "$(median ref.round.wakeups)" /s

if [[ -n $SCALES ]]; then
    echo "the game at each scale, side by side (a round, utime+stime; ratio against 1x)"
    for scale in $SCALES; do
        if ((scale == 1)); then
            line "CPU in a round at 1x" "$(median scale1.round.cpu)" "$(median scale1.round.cpu)" %
        else
            line "CPU in a round at ${scale}x, against 1x" "$(median "scale$scale.round.cpu")" \
                "$(median scale1.round.cpu)" % "$([[ $scale == 2 ]] && echo 1.5)"
        fi
        line "  peak resident memory at ${scale}x, against 1x" "$(median "scale$scale.peak")" \
            "$(median scale1.peak)" KiB
    done
fi
idle_wakeups=$(median game.waiting.wakeups)
idle_cpu=$(median game.waiting.cpu)
# With no gamepad the game only looks for one every 3 seconds: a sample may
# hold one such look more than its share.
echo "waiting wakes at most every 3 s (to look for a gamepad): $idle_wakeups wake-ups/s, CPU $idle_cpu %:" \
    "$(awk -v w="$idle_wakeups" -v c="$idle_cpu" -v s="$SAMPLE" \
        'BEGIN { print (w * s <= s / 3 + 1 && c + 0 == 0) ? "met" : "missed" }')"
rate=$(median game.timer1.rate)
echo "Timer1 in a round: $rate ticks/s over $(median game.timer1.span) s (goal 64 +- 1):" \
    "$(awk -v r="$rate" 'BEGIN { print (r >= 63 && r <= 65) ? "met" : "missed" }')"
if [[ -n $SCORE_POINTS ]]; then
    echo "score after a ${SCORE} s round: $SCORE_POINTS, the last ten points at $SCORE_AT s" \
        "($SCORE_DUE were due by the end); Timer1 at $SCORE_TIMER1 ticks/s"
    echo "score $((SCORE * 100)) +- 10 after ${SCORE} s, no drift:" \
        "$(awk -v p="$SCORE_POINTS" -v d="$SCORE_DUE" -v g=$((SCORE * 100)) -v at="$SCORE_AT" -v s="$SCORE" \
            'BEGIN { print (p >= g - 10 && p <= g + 10 && p == d && at < s + 0.1) ? "met" : "missed" }')"
fi
if ((failures > 0)); then
    echo "$failures runs failed; their figures are missing from the medians"
    exit 1
fi
