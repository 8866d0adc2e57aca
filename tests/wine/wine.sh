#!/bin/bash
# Runs a Windows program under 64-bit Wine in the prefix WINEPREFIX names,
# making the prefix on first use. Nothing is written outside the prefix and
# /tmp: no menu entries, no Mono or Gecko installers, no debug chatter.
#   WINEPREFIX=DIR wine.sh PROGRAM.exe [ARGS...]
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the prefix to use}"
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The 64-bit loader itself: Debian's wine wrapper complains on every start
# that there is no 32-bit Wine, which this build does not need.
loader=/usr/lib/wine/wine64
[[ -x $loader ]] || loader=$(command -v wine64 || command -v wine)

if [[ ! -f $WINEPREFIX/system.reg ]]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    # Tests may start at once: one makes the prefix, the others wait for it.
    exec 9>"$WINEPREFIX.lock"
    flock 9
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
        "$loader" wineboot -i >/dev/null 2>&1 || true
        wineserver -w 2>/dev/null || /usr/lib/wine/wineserver -w
    fi
    exec 9>&-
fi
exec "$loader" "$@"
