# shellcheck shell=bash
# Helpers for the tests that drive the real game window on a private X server.
#
# Source this file, call wt_setup, then wt_start_display and (optionally)
# wt_start_wm. Everything started here is stopped by the EXIT trap that
# wt_setup installs. Every wait is bounded by WT_TIMEOUT seconds; a helper
# that gives up says what it was waiting for on stderr and returns 1.

export LC_ALL=C

WT_TIMEOUT=${WT_TIMEOUT:-10}  # the longest any single wait may take, in seconds
WT_DIR=""                     # scratch directory: logs, screenshots, expected frames
WT_KEEP=0                     # 1 keeps WT_DIR after the run, for a post-mortem
WT_XVFB_PID=""
WT_WM_PID=""
WT_WESTON_PID=""
WT_WESTON_WIN=""              # weston's output: a window on the private X server
GAME_PID=""                   # the running game, if any
GAME_WIN=""                   # its top-level window
GAME_STATUS=""                # its exit status, once it has ended
WT_GAME_ENV=()                # NAME=VALUE settings for the game alone
WT_GAME_ARGS=()               # the game's arguments
WT_GAME_NO_STDERR=0           # 1 starts the game with stderr closed, as some launchers do
WT_X=0 WT_Y=0 WT_W=0 WT_H=0   # the last geometry wt_geometry read, root coordinates
WT_BX=0 WT_BY=0 WT_BW=0 WT_BH=0  # the box wt_find_weston_box found, root coordinates

# The design's client-area rectangles and points the cases look at (x y w h),
# and the first round's box text: the same on every platform's window.
# shellcheck disable=SC2034  # each test script uses some of them
{
    readonly OBSTACLE_ROW=(100 55 200 45)    # where the obstacles start
    readonly SCORE_LABEL=(184 8 97 33)
    readonly BELOW_OBSTACLES=(0 110 464 239) # the prompt and the free area below it
    readonly PROMPT_POINT=(200 180)
    readonly FREE_POINT=(300 250)
    readonly OBSTACLE_POINT=(130 74)         # over obstacle 0 at load
    readonly LOST_AT_ZERO="Oh NO!~ You lost! But you got 0"
}

# A diagnostic line; the runner's own output stays machine-readable.
wt_note() {
    echo "# $*" >&2
}

wt_setup() {
    local tool
    for tool in Xvfb xdpyinfo xdotool xprop xwininfo import compare convert identify openbox wmctrl setxkbmap; do
        if ! command -v "$tool" >/dev/null; then
            wt_note "$tool is needed and was not found"
            return 1
        fi
    done
    WT_DIR=$(mktemp -d "${TMPDIR:-/tmp}/brennow-window.XXXXXX") || return 1
    # A desktop session has a runtime directory; without one, libraries the
    # game probes at start-up complain on stderr before the game says anything.
    mkdir -m 700 "$WT_DIR/runtime"
    export XDG_RUNTIME_DIR=$WT_DIR/runtime
    # Settings of the tests' own: a developer's kept full screen or zoom
    # must not change what the game shows here.
    export XDG_CONFIG_HOME=$WT_DIR/config
    # The game must find our X server, not a Wayland session we run inside.
    unset WAYLAND_DISPLAY SDL_VIDEODRIVER
    # The tests read what the game says on stderr: under the leak sanitizer
    # its summary of suppressed leaks would add lines. Real leaks still show.
    export LSAN_OPTIONS=${LSAN_OPTIONS:+$LSAN_OPTIONS:}print_suppressions=0
    trap wt_cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

wt_cleanup() {
    wt_stop_game
    wt_stop_pid "$WT_WESTON_PID"
    WT_WESTON_PID=""
    wt_stop_pid "$WT_WM_PID"
    WT_WM_PID=""
    wt_stop_pid "$WT_XVFB_PID"
    WT_XVFB_PID=""
    if [[ -n $WT_DIR ]]; then
        if ((WT_KEEP)); then
            wt_note "screenshots and logs kept in $WT_DIR"
        else
            rm -rf -- "$WT_DIR"
        fi
    fi
}

# Milliseconds on a monotonic-enough clock, for deadlines.
wt_now_ms() {
    local t=${EPOCHREALTIME/./}
    echo $((t / 1000))
}

# wt_wait_until SECONDS WHAT COMMAND...: runs COMMAND in this shell until it
# succeeds; after SECONDS it gives up, saying it was waiting for WHAT.
wt_wait_until() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$(($(wt_now_ms) + seconds * 1000))
    until "$@"; do
        if (($(wt_now_ms) >= deadline)); then
            wt_note "timed out after ${seconds}s waiting for $what"
            return 1
        fi
        sleep 0.05
    done
}

# True while PID runs; a zombie has ended.
wt_running() {
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
    [[ $state != Z* ]]
}

wt_not_running() {
    ! wt_running "$1"
}

# True while PID is stopped by a signal.
wt_stopped() {
    [[ $(ps -o stat= -p "$1" 2>/dev/null) == T* ]]
}

# Ends a process this script started and reaps it: politely first.
wt_stop_pid() {
    local pid=$1
    [[ -n $pid ]] || return 0
    if wt_running "$pid"; then
        kill -TERM "$pid" 2>/dev/null
        if ! wt_wait_until 5 "process $pid to end" wt_not_running "$pid" 2>/dev/null; then
            kill -KILL "$pid" 2>/dev/null
        fi
    fi
    wait "$pid" 2>/dev/null
    return 0
}

# --- the X server and the window manager -------------------------------------

wt_display_answers() {
    xdpyinfo >/dev/null 2>&1
}

# Starts Xvfb on a display number it picks itself, so that parallel runs and
# other servers on the machine cannot collide with it, and exports DISPLAY.
wt_start_display() {
    local numberfile=$WT_DIR/display-number
    : >"$numberfile"
    Xvfb -displayfd 3 -screen 0 "${WT_SCREEN:-1024x768x24}" -nolisten tcp -noreset 3>"$numberfile" >"$WT_DIR/xvfb.log" 2>&1 &
    WT_XVFB_PID=$!
    if ! wt_wait_until "$WT_TIMEOUT" "Xvfb to choose a display" test -s "$numberfile"; then
        tail -n 5 "$WT_DIR/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$(head -n 1 "$numberfile")"
    wt_wait_until "$WT_TIMEOUT" "the X server on $DISPLAY to answer" wt_display_answers
}

# Starts the X server and the window manager afresh, after a case that
# killed the X server.
wt_restart_display() {
    wt_stop_pid "$WT_WM_PID"
    WT_WM_PID=""
    wt_stop_pid "$WT_XVFB_PID"
    WT_XVFB_PID=""
    wt_start_display && wt_start_wm
}

# Openbox names itself as soon as it holds the screen, but manages windows
# only once it has started, which it says by listing them (none yet). It
# starts slowly while fontconfig has fonts to scan (fonts just installed), and
# a window mapped before that is never managed.
wt_wm_manages() {
    wmctrl -m 2>/dev/null | grep -qx 'Name: Openbox' && xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q '^_NET_CLIENT_LIST('
}

# Starts openbox with a configuration of its own: no key or mouse bindings,
# so nothing the tests send opens a menu or moves a window.
wt_start_wm() {
    local config=$WT_DIR/openbox.xml
    cat >"$config" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <desktops><number>1</number></desktops>
  <keyboard></keyboard>
  <mouse></mouse>
</openbox_config>
EOF
    XDG_CACHE_HOME=$WT_DIR/cache XDG_DATA_HOME=$WT_DIR/data \
        openbox --sm-disable --config-file "$config" >"$WT_DIR/openbox.log" 2>&1 &
    WT_WM_PID=$!
    wt_wait_until "$WT_TIMEOUT" "openbox to manage the screen" wt_wm_manages
}

# --- Wayland: weston nested in the private X server ---------------------------

_wt_weston_shows() {
    [[ -S $XDG_RUNTIME_DIR/brennow-wayland ]] &&
        WT_WESTON_WIN=$(xdotool search --onlyvisible --class '^Weston Compositor$' 2>/dev/null | head -n 1) &&
        [[ -n $WT_WESTON_WIN ]]
}

# Starts weston with its X11 backend: a Wayland session whose output is a
# window here (its headless backend cannot run SDL). Its socket is
# brennow-wayland in XDG_RUNTIME_DIR.
wt_start_weston() {
    weston --backend=x11-backend.so --socket=brennow-wayland --width=800 --height=600 --idle-time=0 \
        --no-config >"$WT_DIR/weston.log" 2>&1 &
    WT_WESTON_PID=$!
    wt_wait_until "$WT_TIMEOUT" "weston to show its output" _wt_weston_shows
}

# The playfield in weston's output: the one black rectangle below weston's
# panel, in WT_PX WT_PY (root coordinates); fails unless it is W x H.
_wt_find_playfield() {
    local w=$1 h=$2 found
    wt_geometry "$WT_WESTON_WIN" || return 1
    import -silent -window root -crop "${WT_W}x$((WT_H - 32))+$WT_X+$((WT_Y + 32))" +repage "$WT_DIR/weston.png" || return 1
    found=$(convert "$WT_DIR/weston.png" -fill white +opaque black -negate -trim -format '%w %h %X %Y' info: 2>/dev/null)
    read -r fw fh fx fy <<<"$found"
    [[ $fw == "$w" && $fh == "$h" ]] || return 1
    WT_PX=$((WT_X + ${fx#+})) WT_PY=$((WT_Y + 32 + ${fy#+}))
}

wt_find_playfield() {
    wt_wait_until "$WT_TIMEOUT" "a black $1x$2 playfield in weston's output" _wt_find_playfield "$@"
}

# wt_weston_pointer X Y: puts weston's pointer at X Y (root coordinates).
# Inside its window weston's X11 backend moves its pointer by the X pointer's
# steps, and once held at an edge of its output it lags behind; where the X
# pointer enters its window it takes the position as it is. So the pointer
# leaves weston's window first, for the screen's far corner.
wt_weston_pointer() {
    local size
    size=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
    xdotool mousemove $((${size%x*} - 1)) $((${size#*x} - 1)) mousemove "$1" "$2"
}

# The message box in weston's output: the one large area of the box's face
# colour, in WT_BX WT_BY WT_BW WT_BH (root coordinates).
wt_find_weston_box() {
    local found
    wt_geometry "$WT_WESTON_WIN" || return 1
    import -silent -window root -crop "${WT_W}x$WT_H+$WT_X+$WT_Y" +repage "$WT_DIR/weston-box.png" || return 1
    found=$(convert "$WT_DIR/weston-box.png" -fill white +opaque 'srgb(192,192,192)' -fill black -opaque 'srgb(192,192,192)' \
        -negate -define connected-components:verbose=true -define connected-components:area-threshold=2000 \
        -connected-components 4 null: 2>/dev/null | awk '$NF == "srgb(255,255,255)" { print $2; exit }')
    [[ $found =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 1
    WT_BW=${BASH_REMATCH[1]} WT_BH=${BASH_REMATCH[2]}
    WT_BX=$((WT_X + BASH_REMATCH[3])) WT_BY=$((WT_Y + BASH_REMATCH[4]))
}

wt_no_weston_box() {
    ! wt_find_weston_box
}

# wt_shot_root OUT X Y W H: that part of the screen.
wt_shot_root() {
    import -silent -window root -crop "${4}x${5}+${2}+${3}" +repage "$1"
}

_wt_root_matches() {
    local ref=$1 out=$2
    shift 2
    wt_shot_root "$out" "$@" && wt_same "$out" "$ref"
}

# wt_wait_root_matches REF OUT X Y W H: waits until that part of the screen
# looks exactly like REF.
wt_wait_root_matches() {
    if ! wt_wait_until "$WT_TIMEOUT" "$(basename "$2") to match $(basename "$1")" _wt_root_matches "$@"; then
        [[ -f $2 ]] && wt_note "$(wt_diff "$2" "$1") pixels differ" && compare "$2" "$1" "${2%.*}-diff.png" 2>/dev/null
        return 1
    fi
}

# --- the game ------------------------------------------------------------------

wt_find_game_window() {
    GAME_WIN=$(xdotool search --onlyvisible --pid "$GAME_PID" 2>/dev/null | head -n 1)
    [[ -n $GAME_WIN ]]
}

# wt_start_game BINARY [ARGUMENT...]: starts the game and waits until its
# window is mapped.
wt_start_game() {
    # The pointer rests in the screen's far corner, off the window, so that
    # mapping it moves nothing.
    local size
    size=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
    xdotool mousemove $((${size%x*} - 1)) $((${size#*x} - 1))
    # SIGINT is ignored in a background job of a script; Ctrl-C in a
    # terminal reaches the game with the default action, so start it that way.
    if ((WT_GAME_NO_STDERR)); then
        env --default-signal=INT,QUIT LC_ALL=C "${WT_GAME_ENV[@]}" "$@" "${WT_GAME_ARGS[@]}" >"$WT_DIR/game.out" 2>&- &
    else
        env --default-signal=INT,QUIT LC_ALL=C "${WT_GAME_ENV[@]}" "$@" "${WT_GAME_ARGS[@]}" >"$WT_DIR/game.out" \
            2>"$WT_DIR/game.err" &
    fi
    GAME_PID=$!
    GAME_WIN=""
    GAME_STATUS=""
    if ! wt_wait_until "$WT_TIMEOUT" "the game's window to be mapped" wt_find_game_window; then
        if wt_not_running "$GAME_PID"; then
            wait "$GAME_PID"
            wt_note "the game ended with status $? and said: $(head -c 500 "$WT_DIR/game.err")"
            GAME_PID=""
        fi
        return 1
    fi
}

# Waits until the game has ended by itself, and sets GAME_STATUS.
wt_wait_game_exit() {
    local seconds=${1:-$WT_TIMEOUT}
    wt_wait_until "$seconds" "the game to end" wt_not_running "$GAME_PID" || return 1
    wait "$GAME_PID"
    GAME_STATUS=$?
    GAME_PID=""
}

# Stops the game if it still runs; a stopped game is continued, so that it
# can end politely.
wt_stop_game() {
    [[ -n $GAME_PID ]] || return 0
    kill -CONT "$GAME_PID" 2>/dev/null
    wt_stop_pid "$GAME_PID"
    GAME_PID=""
    GAME_WIN=""
}

wt_has_focus() {
    [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]
}

# Gives WINDOW the keyboard focus through the window manager.
wt_focus() {
    timeout 5 xdotool windowactivate "$1" >/dev/null 2>&1
    wt_wait_until "$WT_TIMEOUT" "window $1 to get the focus" wt_has_focus "$1"
}

# The visible message box titled "Brennow", if there is one, in BOX_WIN.
wt_find_box() {
    BOX_WIN=$(xdotool search --onlyvisible --name '^Brennow$' 2>/dev/null | head -n 1)
    [[ -n $BOX_WIN ]]
}

wt_no_box() {
    ! wt_find_box
}

# wt_xprop WINDOW PROPERTY: the value of a text property, without quotes;
# fails if the window does not have it.
wt_xprop() {
    local line
    line=$(xprop -id "$1" "$2" 2>/dev/null) || return 1
    [[ $line == *' = "'*'"' ]] || return 1
    line=${line#*' = "'}
    echo "${line%'"'}"
}

# wt_size_pinned WINDOW W H: the smallest and the largest size WINDOW asks
# the window manager for are both W x H, so it cannot be resized.
wt_size_pinned() {
    local hints
    hints=$(xprop -id "$1" WM_NORMAL_HINTS)
    if ! grep -q "minimum size: $2 by $3\$" <<<"$hints" || ! grep -q "maximum size: $2 by $3\$" <<<"$hints"; then
        wt_note "the size hints do not pin the size to $2x$3: $(tr '\n\t' '  ' <<<"$hints")"
        return 1
    fi
}

# wt_size_is W H: the game window's client area is W x H.
wt_size_is() {
    wt_geometry "$GAME_WIN" && [[ "${WT_W}x$WT_H" == "$1x$2" ]]
}

wt_wait_size() {
    wt_wait_until "$WT_TIMEOUT" "the game window to be $1x$2" wt_size_is "$1" "$2"
}

# --- pictures ----------------------------------------------------------------

# Reads WINDOW's client area into WT_X WT_Y (root coordinates) WT_W WT_H.
wt_geometry() {
    read -r WT_X WT_Y WT_W WT_H < <(xwininfo -id "$1" 2>/dev/null | awk -F': *' '
        /Absolute upper-left X/ { x = $2 }
        /Absolute upper-left Y/ { y = $2 }
        /^ *Width:/ { w = $2 }
        /^ *Height:/ { h = $2 }
        END { if (h != "") print x, y, w, h }')
    [[ -n $WT_H ]]
}

# wt_shot WINDOW OUT [X Y W H]: what the screen shows of WINDOW's client
# area, or of the part of it given in client coordinates.
wt_shot() {
    local win=$1 out=$2
    if ! wt_geometry "$win"; then
        wt_note "window $win is gone"
        return 1
    fi
    local x=${3:-0} y=${4:-0} w=${5:-$WT_W} h=${6:-$WT_H}
    import -silent -window root -crop "${w}x${h}+$((WT_X + x))+$((WT_Y + y))" +repage "$out"
}

# wt_crop IN OUT X Y W H
wt_crop() {
    convert "$1" -crop "${5}x${6}+${3}+${4}" +repage "$2"
}

# The number of pixels in which two pictures differ, or "all" if their sizes
# do (compare would look for the smaller one inside the larger).
wt_diff() {
    local sizes out
    sizes=$(identify -format '%wx%h\n' "$1" "$2" 2>/dev/null | uniq | wc -l)
    if ((sizes != 1)); then
        echo all
        return
    fi
    out=$(compare -metric AE "$1" "$2" null: 2>&1)
    if [[ $out =~ ^[0-9]+$ ]]; then
        echo "$out"
    else
        echo "all"
    fi
}

wt_same() {
    [[ $(wt_diff "$1" "$2") == 0 ]]
}

# The number of pixels of a picture that are not black.
wt_count_lit() {
    convert "$1" -alpha off -fill white +opaque black -colorspace gray -format '%[fx:round(mean*w*h)]\n' info:
}

# wt_wait_enlarged SCALE X Y TAG STEP...: waits until the game window shows
# the headless frame for STEP... ($FRAME, the frame tool, makes it) enlarged
# SCALE times by whole pixels at X Y, and black all around it.
wt_wait_enlarged() {
    local scale=$1 x=$2 y=$3 tag=$4
    shift 4
    "$FRAME" "$WT_DIR/$tag.ppm" "$@" || return 1
    wt_geometry "$GAME_WIN" || return 1
    convert -size "${WT_W}x$WT_H" xc:black \( "$WT_DIR/$tag.ppm" -sample "$((scale * 100))%" \) -geometry "+$x+$y" \
        -composite "$WT_DIR/$tag-expected.png" || return 1
    wt_wait_matches "$GAME_WIN" "$WT_DIR/$tag-expected.png" "$WT_DIR/$tag-shot.png"
}

# Shoots (part of) the window into OUT and tells whether it differs from REF.
_wt_shot_differs() {
    local win=$1 ref=$2 out=$3
    shift 3
    wt_shot "$win" "$out" "$@" && ! wt_same "$out" "$ref"
}

_wt_shot_matches() {
    local win=$1 ref=$2 out=$3
    shift 3
    wt_shot "$win" "$out" "$@" && wt_same "$out" "$ref"
}

_wt_shot_lit() {
    local win=$1 out=$2
    shift 2
    wt_shot "$win" "$out" "$@" && (($(wt_count_lit "$out") > 0))
}

# wt_wait_changed WINDOW REF OUT [X Y W H]: waits until (that part of) the
# window no longer looks like REF; OUT holds the last screenshot.
wt_wait_changed() {
    wt_wait_until "$WT_TIMEOUT" "$(basename "$3") to differ from $(basename "$2")" _wt_shot_differs "$@"
}

# wt_wait_matches WINDOW REF OUT [X Y W H]: waits until (that part of) the
# window looks exactly like REF, and checks that it stays so a moment later,
# so that a late event cannot slip by. On failure OUT holds the last
# screenshot and OUT's name with -diff shows where they differ.
wt_wait_matches() {
    local win=$1 ref=$2 out=$3
    if wt_wait_until "$WT_TIMEOUT" "$(basename "$out") to match $(basename "$ref")" _wt_shot_matches "$@"; then
        sleep 0.3
        _wt_shot_matches "$@" && return 0
        wt_note "$(basename "$out") matched $(basename "$ref") and then changed"
    fi
    [[ -f $out ]] || return 1
    wt_note "$(wt_diff "$out" "$ref") pixels differ between $(basename "$out") and $(basename "$ref")"
    compare "$out" "$ref" "${out%.*}-diff.png" 2>/dev/null
    return 1
}

# wt_hold_unchanged SECONDS WINDOW REF OUT [X Y W H]: (that part of) the
# window keeps looking like REF for SECONDS; fails as soon as it does not.
wt_hold_unchanged() {
    local seconds=$1
    shift
    local deadline=$(($(wt_now_ms) + seconds * 1000))
    while (($(wt_now_ms) < deadline)); do
        if ! _wt_shot_matches "$@"; then
            wt_note "$(basename "$3") changed within ${seconds}s"
            return 1
        fi
        sleep 0.05
    done
}

# wt_wait_lit WINDOW OUT X Y W H: waits until that part shows a non-black pixel.
wt_wait_lit() {
    wt_wait_until "$WT_TIMEOUT" "something to show in $(basename "$2")" _wt_shot_lit "$@"
}

# wt_group GROUP: the cases registered after it are of GROUP, their names
# "GROUP: NAME". A group is what one test of the build system runs, through
# WT_FILTER='^GROUP:'.
WT_GROUP=""
wt_group() {
    WT_GROUP=$1
}

# wt_run_case NAME COMMAND...: runs one case, says "ok - NAME" or "not ok -
# NAME", counts it in WT_PASSED or WT_FAILED (the screenshots and logs of a
# failed case are kept) and stops the game and weston it left. WT_FILTER=REGEX
# runs only the cases whose names (with their group's) match.
WT_PASSED=0
WT_FAILED=0
wt_run_case() {
    local name=${WT_GROUP:+$WT_GROUP: }$1
    shift
    [[ -z ${WT_FILTER:-} || $name =~ $WT_FILTER ]] || return 0
    if "$@"; then
        echo "ok - $name"
        WT_PASSED=$((WT_PASSED + 1))
    else
        echo "not ok - $name"
        WT_FAILED=$((WT_FAILED + 1))
        WT_KEEP=1
    fi
    wt_stop_game
    wt_stop_pid "$WT_WESTON_PID"
    WT_WESTON_PID=""
    WT_GAME_ENV=()
    WT_GAME_ARGS=()
    # What the case's game kept, in the tests' own settings folder.
    if [[ -n $WT_DIR && ${XDG_CONFIG_HOME:-} == "$WT_DIR/config" ]]; then
        rm -rf -- "$XDG_CONFIG_HOME/brennow"
    fi
}

# The closing line, "N passed, M failed"; fails if a case failed, or if none
# ran: a WT_FILTER that matches nothing is a mistake, not a pass.
wt_summary() {
    echo "$WT_PASSED passed, $WT_FAILED failed"
    if ((WT_PASSED + WT_FAILED == 0)); then
        wt_note "no case matches WT_FILTER='${WT_FILTER:-}'"
        return 1
    fi
    ((WT_FAILED == 0))
}

# For a case that times how fast the game ends: the leak sanitizer's scan at
# exit (a quarter of a second here, more on a busy machine) is not the
# game's time. Every other case still looks for leaks.
wt_untimed_leak_scan() {
    WT_GAME_ENV+=("ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0")
}
