#!/bin/bash
# Verifies a committed recording with the game itself and compares what it
# prints with the scores committed beside it.
#   verify.sh BRENNOW RECORDING    verifies RECORDING, compares with RECORDING's .scores
# BRENNOW_RUNNER, when set, runs the game (Wine, for the Windows build).
if (($# != 2)); then
    echo "usage: $0 BRENNOW RECORDING" >&2
    exit 2
fi
game=$1
recording=$2
expected=${recording%.replay}.scores
# The status is the game's own: a pipe's would be its last command's.
actual=$(${BRENNOW_RUNNER:+"$BRENNOW_RUNNER"} "$game" --verify "$recording")
status=$?
actual=${actual//$'\r'/}
if ((status != 0)); then
    echo "brennow --verify $recording exited with $status" >&2
    exit 1
fi
if ! diff -u --label "$expected" --label "verified now" "$expected" <(printf '%s\n' "$actual"); then
    echo "The recording no longer plays as it was recorded." >&2
    exit 1
fi
