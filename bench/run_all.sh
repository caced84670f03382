#!/bin/sh
# Runs every benchmark of a build directory (the first argument, the current directory if none)
# and ends with one table of their figures, also written to <build>/bench/figures.tsv: a header
# line, then one line per figure with its name, value, unit, target and "met" or "not met"
# ("for reference", with no target, for a figure printed beside the one that carries it),
# separated by tabs. Each program prints its own figures as lines starting with FIGURE and a tab.
# The exit status is 1 when a program could not run; a target not met is a figure, not a failure.
set -u

build=${1:-.}
programs="startup idle jog_rate rx_flood soak preset_gap stick_rate stick_idle journal_cost"
log=$(mktemp)
status=$(mktemp)
trap 'rm -f "$log" "$status"' EXIT INT TERM

# Start-up is timed to a window mapped on a bare X server, as an operator's desktop has one, when
# Xvfb is installed; elsewhere offscreen like the rest.
run() {
    if [ "$1" = startup ] && command -v xvfb-run >/dev/null 2>&1; then
        xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb "$build/bench/$1"
    else
        "$build/bench/$1"
    fi
}

failed=""
for program in $programs; do
    echo "=== $program"
    { run "$program" 2>&1; echo $? >"$status"; } | tee -a "$log"
    code=$(cat "$status")
    if [ "$code" != 0 ]; then
        failed="$failed $program"
        printf 'FIGURE\t%s\t-\t-\t-\tnot run (exit %s)\n' "$program" "$code" >>"$log"
    fi
    echo
done

table="$build/bench/figures.tsv"
{
    printf 'figure\tvalue\tunit\ttarget\tmet\n'
    grep '^FIGURE	' "$log" | cut -f2-
} >"$table"
echo "=== figures"
cat "$table"
if [ -n "$failed" ]; then
    echo "could not run:$failed"
    exit 1
fi
exit 0
