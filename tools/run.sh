#!/usr/bin/env bash
# make run: the simulated head, published as COM1 of the build's program directory and
# listening on 127.0.0.1 port 4196, with the console beside it. Leaving the console (or Ctrl-C)
# stops the head. Usage: tools/run.sh [build directory]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
link="$build/ports/COM1"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    echo "run.sh: no display. Start it under Xvfb, for example:"
    echo "    xvfb-run -a -s \"-screen 0 1920x1080x24\" make run"
    exit 1
fi

# A link left behind by a head that was killed would look like a live one.
if [ -L "$link" ]; then
    rm -f "$link"
fi

# The head's window goes to the top left corner and the console centres itself, so on a
# 1920-pixel screen the two stand side by side.
"$build/corvane-headsim" --pty "$link" --tcp 127.0.0.1 -qwindowgeometry 440x460+0+0 &
head=$!
stop_head() {
    kill "$head" 2>/dev/null || true
    wait "$head" 2>/dev/null || true
}
trap stop_head EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

for _ in $(seq 100); do
    [ -e "$link" ] && break
    if ! kill -0 "$head" 2>/dev/null; then
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
"$build/corvane"
