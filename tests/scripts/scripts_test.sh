#!/usr/bin/env bash
# The scripts' own logic, without building anything: scripts/test's
# background work and closing line, and what scripts/deps reads from Debian's
# archive, on canned answers from apt and dpkg.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=tests/lib/window.sh
source "$root/tests/lib/window.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/brennow-scripts.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
mkdir "$work/bin"
cd "$root" || exit 1

# --- scripts/test ------------------------------------------------------------------
wt_group test

# A person runs scripts/test in a terminal: a background install that touches
# the terminal (apt-get and dpkg do) must not be stopped there, and the run
# must go on.
case_terminal() {
    cat >"$work/terminal.sh" <<'INNER'
dir=$1
set --
source scripts/test
logs=$dir
# What apt-get and dpkg may do: set the terminal up, read from it.
install_later() {
    { stty -echo; stty echo; } 2>/dev/null </dev/tty
    read -r -t 1 _ || true
    echo "installed"
}
start_installer
await "$logs/install.status" "$installer" install && cat "$logs/install.log"
INNER
    mkdir "$work/terminal"
    local out
    out=$(timeout 20 script -qec "bash $work/terminal.sh $work/terminal" /dev/null 2>&1 | tr -d '\r')
    [[ $out == installed ]] || { wt_note "the run under a terminal said: $out"; return 1; }
}
wt_run_case "the background install under a terminal is not stopped by it" case_terminal

# builder_fails SETUP: the background builds started with SETUP done first in
# their shell; the stage waiting for them must fail within seconds, saying so.
builder_fails() {
    (
        local setup=$1
        set --
        source scripts/test
        logs=$work/builder$BASHPID
        mkdir "$logs"
        eval "$setup"
        background=1
        start_builder
        local out status
        out=$(timeout 10 bash -c "$(declare -f built await alive); $(declare -p logs builder background); built sanitize" 2>&1)
        status=$?
        kill -CONT "$builder" 2>/dev/null
        kill -- "-$builder" 2>/dev/null
        ((status != 0 && status != 124)) || { wt_note "status $status: $out"; exit 1; }
        [[ $out == *"stopped or died"* ]] || { wt_note "it said: $out"; exit 1; }
    )
}
case_builder() {
    # renice fails under set -e and ends the builder before it writes a word.
    printf '#!/bin/sh\nexit 1\n' >"$work/bin/renice"
    chmod +x "$work/bin/renice"
    PATH=$work/bin:$PATH builder_fails 'build_sanitize() { sleep 30; }' || return 1
    rm "$work/bin/renice"
    # A builder stopped by a signal holds the run as surely as a dead one.
    # shellcheck disable=SC2016  # expanded in the builder
    builder_fails 'build_sanitize() { kill -STOP "$BASHPID"; }'
}
wt_run_case "a background builder that dies or is stopped fails the stage waiting for it" case_builder

# closing STAGES PASSED: what finish says when the stage after PASSED fails.
closing() {
    (
        local given=$1 done=$2
        set --
        source scripts/test
        read -ra stages <<<"$given"
        read -ra passed <<<"$done"
        current=${stages[${#passed[@]}]}
        false
        finish
    ) 2>&1 | head -n 1
}
case_closing() {
    local out
    out=$(closing "quick web" "quick")
    [[ $out == "== web failed after 0 s" ]] || { wt_note "the last stage failing: $out"; return 1; }
    out=$(closing "web windows" "")
    [[ $out == "== web failed after 0 s; not run: windows" ]] || { wt_note "with one stage after: $out"; return 1; }
}
wt_run_case "the closing line lists the stages not run, and no empty list" case_closing

# --- scripts/deps ------------------------------------------------------------------
wt_group deps
# shellcheck source=scripts/lib/archive.sh
source scripts/lib/archive.sh

# Canned answers: apt-cache madison NAME and dpkg-query's source version.
cat >"$work/bin/apt-cache" <<'EOF2'
#!/bin/sh
cat "$CANNED_MADISON"
EOF2
cat >"$work/bin/dpkg-query" <<'EOF2'
#!/bin/sh
[ -n "$CANNED_INSTALLED" ] || exit 1
printf %s "$CANNED_INSTALLED"
EOF2
cat >"$work/bin/apt-get" <<'EOF2'
#!/bin/sh
echo "$CANNED_ENTRY"
EOF2
chmod +x "$work/bin/"*

main_suite=' http://deb.debian.org/debian bookworm/main Sources'
updates=' http://deb.debian.org/debian bookworm-updates/main Sources'
security=' http://deb.debian.org/debian-security bookworm-security/main Sources'
# choose MADISON INSTALLED: the version source_version takes, then what it said.
choose() {
    printf '%s\n' "$1" >"$work/madison"
    CANNED_MADISON=$work/madison CANNED_INSTALLED=$2 PATH=$work/bin:$PATH \
        source_version freetype 2.12.1+dfsg-5+deb12u4 libfreetype6 2>"$work/said"
    echo "|$(cat "$work/said")"
}
case_versions() {
    local out
    out=$(choose "  freetype | 2.12.1+dfsg-5+deb12u4 |$main_suite" 2.12.1+dfsg-5+deb12u4)
    [[ $out == $'2.12.1+dfsg-5+deb12u4\n|' ]] || { wt_note "pinned and there: $out"; return 1; }
    # The next point release: the pinned one is gone, the installed one is there.
    out=$(choose "  freetype | 2.12.1+dfsg-5+deb12u5 |$main_suite
  freetype | 2.12.1+dfsg-5+deb12u6 |$updates" 2.12.1+dfsg-5+deb12u5)
    [[ $out == $'2.12.1+dfsg-5+deb12u5\n|deps: freetype 2.12.1+dfsg-5+deb12u4 is no longer'*'building 2.12.1+dfsg-5+deb12u5'* ]] ||
        { wt_note "after a point release: $out"; return 1; }
    # The installed one only in bookworm-security: not taken.
    out=$(choose "  freetype | 2.12.1+dfsg-5+deb12u5 |$main_suite
  freetype | 2.12.1+dfsg-5+deb12u6 |$security" 2.12.1+dfsg-5+deb12u6)
    [[ $out == $'|deps: neither'* ]] || { wt_note "installed from bookworm-security: $out"; return 1; }
    out=$(choose "  freetype | 2.12.1+dfsg-5+deb12u5 |$main_suite" "")
    [[ $out == $'|deps: neither'*'(none)'* ]] || { wt_note "nothing installed: $out"; return 1; }
}
wt_run_case "the pinned source version while the archive has it, else the installed library's" case_versions

# signed_by ENTRY: what deb_signed_by finds, apt-get naming ENTRY as the deb one.
signed_by() {
    CANNED_ENTRY=$1 PATH=$work/bin:$PATH deb_signed_by http://deb.debian.org/debian bookworm
}
case_signed_by() {
    printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian-security' 'Signed-By: /a.gpg' '' \
        'Types: deb' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm' 'signed-by: /b.gpg' \
        '' 'Types: deb' 'Suites: bookworm' 'Signed-By:' ' -----BEGIN PGP PUBLIC KEY BLOCK-----' ' .' ' key' \
        'Components: main' '' 'Types: deb' 'URIs: http://deb.debian.org/debian' >"$work/debian.sources"
    printf '%s\n' '# x' 'deb [arch=amd64 signed-by=/c.gpg] http://deb.debian.org/debian bookworm main' >"$work/x.list"
    local out
    out=$(signed_by "$work/debian.sources:2")
    [[ $out == /b.gpg ]] || { wt_note "a deb822 entry's: $out"; return 1; }
    out=$(signed_by "$work/debian.sources:3")
    [[ $out == $'\n -----BEGIN PGP PUBLIC KEY BLOCK-----\n .\n key' ]] || { wt_note "an inline key: $out"; return 1; }
    out=$(signed_by "$work/debian.sources:4")
    [[ -z $out ]] || { wt_note "an entry with none: $out"; return 1; }
    out=$(signed_by "$work/x.list:2")
    [[ $out == /c.gpg ]] || { wt_note "a one-line entry's: $out"; return 1; }
    out=$(signed_by "")
    [[ $out == /usr/share/keyrings/debian-archive-keyring.gpg ]] || { wt_note "no entry: $out"; return 1; }
}
wt_run_case "the deb-src entry repeats the Signed-By of the deb entry for the same suite" case_signed_by

wt_summary
