#!/usr/bin/env bash
# make package-check: installs the package that make package built, on this machine, with apt;
# starts the console from the PATH without a display, as root and as an operator; checks it
# found its pictures and wrote nothing under /opt; removes the package again. Needs root, and
# corvane is installed system-wide while it runs. Usage: tools/check_package.sh [build directory]
set -euo pipefail
build=${1:-build}

if [ "$(id -u)" != 0 ]; then
    echo "check_package.sh: needs root (it installs and removes the package)"
    exit 1
fi
deb=$(ls -t "$build"/corvane_*.deb 2>/dev/null | head -n 1 || true)
if [ -z "$deb" ]; then
    echo "check_package.sh: no corvane_*.deb in $build; run make package first"
    exit 1
fi
deb=$(realpath "$deb")
if dpkg-query -W -f='${Status}' corvane 2>/dev/null | grep -q 'install ok installed'; then
    echo "check_package.sh: corvane is installed already, and this check would remove it"
    exit 1
fi

fail() {
    echo "FAILED: $*"
    exit 1
}

echo "== $(basename "$deb")"
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends

work=$(mktemp -d)
chmod 755 "$work"
remove() {
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq corvane > /dev/null 2>&1 || true
    rm -rf "$work"
}
trap remove EXIT

echo "== apt-get install $deb"
if ! DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" > "$work/apt.log" 2>&1; then
    # Stale package lists are the usual reason a dependency cannot be found.
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" > "$work/apt.log" 2>&1 ||
        { cat "$work/apt.log"; fail "apt-get install"; }
fi
grep -E '^(Unpacking|Setting up) corvane' "$work/apt.log" || true

echo "== where things went"
[ "$(command -v corvane)" = /usr/bin/corvane ] || fail "corvane is not /usr/bin/corvane on the PATH"
[ "$(readlink -f /usr/bin/corvane)" = /opt/corvane/corvane ] || fail "/usr/bin/corvane target"
for f in /opt/corvane/corvane-headsim "/opt/corvane/123/Chinese&English.jpg" \
    /opt/corvane/123/BQ.jpg /opt/corvane/README.md /usr/share/applications/corvane.desktop \
    /usr/share/icons/hicolor/48x48/apps/corvane.png \
    /usr/share/icons/hicolor/64x64/apps/corvane.png \
    /usr/share/icons/hicolor/128x128/apps/corvane.png \
    /usr/share/icons/hicolor/scalable/apps/corvane.svg \
    /usr/share/metainfo/corvane.metainfo.xml /usr/share/man/man1/corvane.1.gz \
    /usr/share/man/man1/corvane-headsim.1.gz /usr/share/doc/corvane/copyright \
    /usr/share/doc/corvane/changelog.Debian.gz; do
    [ -f "$f" ] || fail "missing $f"
    echo "ok $f"
done
if command -v desktop-file-validate > /dev/null; then
    desktop-file-validate /usr/share/applications/corvane.desktop || fail "desktop entry"
fi
if command -v man > /dev/null; then
    for page in corvane corvane-headsim; do
        MANPAGER=cat MANWIDTH=80 man "$page" 2> /dev/null | grep -q "^NAME" || fail "man $page"
    done
    echo "ok man corvane, man corvane-headsim"
fi

# Runs corvane from the PATH for five seconds without a display; it must still be running then
# (timeout's 124) and have said nothing, in particular no "no picture" warning.
start() {
    local who=$1 home=$2
    shift 2
    mkdir -p "$home" "$home/run"
    chmod 700 "$home/run"
    [ "$who" = root ] || chown -R "$who" "$home"
    local code=0
    "$@" env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/run" LANG=C.UTF-8 \
        QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='qt.qpa.*=false' \
        timeout 5 corvane > "$work/out" 2>&1 || code=$?
    [ "$code" = 124 ] || { cat "$work/out"; fail "corvane as $who ended with $code"; }
    [ ! -s "$work/out" ] || { cat "$work/out"; fail "corvane as $who said something"; }
    echo "ok corvane as $who ran 5 s and said nothing"
}

snapshot() { find /opt/corvane -printf '%p %s %T@\n' | sort; }
snapshot > "$work/before"
start root "$work/root"
# An operator may not write /opt/corvane: the console's files go to its own data location.
start nobody "$work/nobody" setpriv --reuid=nobody --regid=nogroup --clear-groups
[ -d "$work/nobody/.local/share/corvane" ] || fail "no data location for the operator"
echo "ok the operator's data location is ~/.local/share/corvane"
snapshot > "$work/after"
diff "$work/before" "$work/after" || fail "something was written under /opt/corvane"
echo "ok nothing written under /opt/corvane"

echo "== apt-get remove corvane"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq corvane > "$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get remove"; }
[ ! -e /opt/corvane ] && [ ! -e /usr/bin/corvane ] || fail "files left after removal"
echo "ok removed"
echo "package check passed"
