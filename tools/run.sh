#!/usr/bin/env bash
# make run: the simulated head, published as COM1 of the build's program directory and
# listening on 127.0.0.1 port 4196, with the console beside it. Leaving the console, or Ctrl-C,
# stops the head and ends with status 0.
# Usage: tools/run.sh [build directory]
#        tools/run.sh --check   only say whether there is a display to show the windows on
set -euo pipefail

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    echo "run.sh: no display to show the windows on. Start it in a virtual display:"
    command -v xvfb-run > /dev/null || echo "    apt-get install xvfb"
    echo "    xvfb-run -a -s \"-screen 0 1920x1080x24\" make run"
    exit 1
fi
[ "${1:-}" != --check ] || exit 0

build=$(cd "${1:-build}" && pwd)
link="$build/ports/COM1"

# On a terminal each program runs in a process group of its own, and the console's has the
# terminal: Ctrl-C then reaches the console alone, not make, this script, the head or an
# xvfb-run display server, so nothing is cut off under the others' feet.
if [ -t 0 ]; then
    set -m
fi

# A link left behind by a head that was killed would look like a live one.
if [ -L "$link" ]; then
    rm -f "$link"
fi

# The head's window places itself in the top left corner, clear of the console, which centres
# itself: on a 1920 x 1080 screen the two stand side by side.
"$build/corvane-headsim" --pty "$link" --tcp 127.0.0.1 &
head=$!
stop_head() {
    kill "$head" 2> /dev/null || true
    wait "$head" 2> /dev/null || true
}
trap stop_head EXIT
# Ctrl-C before the console is up, or without a terminal, stops everything the same way.
trap 'exit 0' INT
trap 'exit 143' TERM

for _ in $(seq 100); do
    [ -e "$link" ] && break
    if ! kill -0 "$head" 2> /dev/null; then
        echo "run.sh: the simulated head did not start (its reason is above)"
        exit 1
    fi
    sleep 0.1
done
if [ ! -e "$link" ]; then
    echo "run.sh: the simulated head did not publish $link"
    exit 1
fi

echo "Simulated head: serial port COM1 ($link), TCP 127.0.0.1 port 4196."
status=0
# Ctrl-C saves the settings as "退出程序" does and ends the console with status 0.
"$build/corvane" || status=$?
# A second Ctrl-C ends it at once (SIGINT, 128 + 2): the operator's choice, as good as leaving.
if [ "$status" = 130 ]; then
    status=0
fi
exit "$status"
