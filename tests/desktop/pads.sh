#!/bin/bash
# Runs the gamepad test of the real window (pad_window_test.cpp) on a private
# X server with openbox, as the game would be on a desktop; the Windows build
# names the runner that starts it under Wine first.
#   pads.sh [RUNNER] PAD_WINDOW_TEST_BIN
if (($# < 1 || $# > 2)); then
    echo "usage: $0 [RUNNER] PAD_WINDOW_TEST_BIN" >&2
    exit 2
fi
RUNNER=()
if (($# == 2)); then
    RUNNER=("$1")
    shift
fi
TEST=$(realpath -- "$1") || exit 2
# shellcheck source=tests/lib/window.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/../lib/window.sh"
wt_setup || exit 1
if ! wt_start_display || ! wt_start_wm; then
    echo "the X server or the window manager did not start" >&2
    exit 1
fi
# The pointer rests off the window, so that it steers nothing.
size=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
xdotool mousemove $((${size%x*} - 1)) $((${size#*x} - 1))
timeout 120 "${RUNNER[@]}" "$TEST"
