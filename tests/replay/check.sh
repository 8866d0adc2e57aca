#!/bin/bash
# Plays a golden script again and compares the trace with the committed one.
#   check.sh BRENNOW_REPLAY BASE    plays BASE.in, compares with BASE.trace
# BRENNOW_RUNNER, when set, runs the tool (Wine, for the Windows build).
if (($# != 2)); then
    echo "usage: $0 BRENNOW_REPLAY BASE" >&2
    exit 2
fi
tool=$1
base=$2
actual=$(mktemp) || exit 2
trap 'rm -f "$actual"' EXIT
${BRENNOW_RUNNER:+"$BRENNOW_RUNNER"} "$tool" "$base.in" "$actual" || exit 2
if ! diff -u --label "$base.trace" --label "replayed now" "$base.trace" "$actual"; then
    echo "The game behaves differently from the golden trace; if that is intended, run scripts/regenerate-golden." >&2
    exit 1
fi
