# shellcheck shell=bash
# What a running program costs, read from /proc, and the figures of several
# runs: for bench/measure.sh, bench/pads.sh and bench/full_screen.sh. sample
# needs SAMPLE (seconds) and CLK_TCK set, and tests/lib/window.sh sourced.

# CPU time used by all threads, utime + stime, in clock ticks.
cpu_ticks() {
    local stat
    stat=$(<"/proc/$1/stat") || return 1
    stat=${stat##*) }  # the name in parentheses may hold blanks
    awk '{ print $12 + $13 }' <<<"$stat"
}

# CPU time on the scheduler's own clock, all threads, in nanoseconds.
cpu_ns() {
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { print s + 0 }'
}

# Voluntary and involuntary context switches of all threads: each is a wake-up.
switches() {
    cat /proc/"$1"/task/*/status 2>/dev/null |
        awk '/^(non)?voluntary_ctxt_switches:/ { s += $2 } END { print s + 0 }'
}

# Peak resident set, in KiB.
peak_kib() {
    awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"
}

# sample PID: CPU per cent by utime+stime, CPU per cent by the scheduler's
# clock, wake-ups per second, over SAMPLE seconds.
sample() {
    local pid=$1 t0 n0 s0 t1 n1 s1
    t0=$(cpu_ticks "$pid") n0=$(cpu_ns "$pid") s0=$(switches "$pid") || return 1
    sleep "$SAMPLE"
    t1=$(cpu_ticks "$pid") n1=$(cpu_ns "$pid") s1=$(switches "$pid") || return 1
    wt_running "$pid" || return 1
    awk -v t=$((t1 - t0)) -v n=$((n1 - n0)) -v s=$((s1 - s0)) -v hz="$CLK_TCK" -v secs="$SAMPLE" \
        'BEGIN { printf "%.3f %.3f %.2f\n", 100 * t / hz / secs, 100 * n / 1e9 / secs, s / secs }'
}

declare -A VALUES  # "what" -> the values of all runs, blank-separated

record() {
    VALUES[$1]+="$2 "
}

median() {
    tr ' ' '\n' <<<"${VALUES[$1]:-}" | grep -v '^$' | sort -g |
        awk '{ v[NR] = $1 } END { if (NR == 0) print "n/a"; else if (NR % 2) print v[(NR + 1) / 2];
                                  else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
