#!/usr/bin/env bash
# make package-check-clean: runs the validators on the package that make package built
# (tools/validate_package.sh), then installs it into a fresh minimal Debian 12 root
# (debootstrap), with Depends alone (no Recommends), so that a dependency this machine happens to
# have cannot hide; starts the console from the PATH there without a display, as root and as an
# operator; checks the Qt plugins, pictures, fonts, data location and manual pages it needs.
# Needs root and Debian's mirror, and downloads a base system and the Qt libraries (about 120 MB),
# so CI does not run it. The root is made anew every time unless CORVANE_CLEAN_BASE names a
# tarball of a debootstrapped base: it is unpacked when it exists and written when it does not.
# Usage: tools/check_package_clean.sh [build directory]
set -euo pipefail
build=${1:-build}
suite=bookworm

if [ "$(id -u)" != 0 ]; then
    echo "check_package_clean.sh: needs root (debootstrap and chroot)"
    exit 1
fi
command -v debootstrap > /dev/null || {
    echo "check_package_clean.sh: debootstrap is missing: apt-get install debootstrap"
    exit 1
}
deb=$(ls -t "$build"/corvane_*.deb 2> /dev/null | head -n 1 || true)
if [ -z "$deb" ]; then
    echo "check_package_clean.sh: no corvane_*.deb in $build; run make package first"
    exit 1
fi
deb=$(realpath "$deb")

# The mirrors this machine's apt uses, unless CORVANE_MIRROR says otherwise.
sources() {
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
        2> /dev/null || true
}
uris=$(sources | sed -nE 's/^URIs:[[:space:]]*//p; s/^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?//p' |
    awk '{print $1}')
mirror=${CORVANE_MIRROR:-$(grep -E '/debian/?$' <<< "$uris" | head -n 1 || true)}
mirror=${mirror:-http://deb.debian.org/debian}
security=$(grep -E '/debian-security/?$' <<< "$uris" | head -n 1 || true)

fail() {
    echo "FAILED: $*"
    exit 1
}

work=$(mktemp -d /tmp/corvane-clean.XXXXXX)
root=$work/root
mounted() { grep -F " $root/" /proc/mounts | awk '{print $2}' || true; }
cleanup() {
    # Only this root's processes: a service a package started in the chroot would keep it busy.
    local link pid
    for link in /proc/[0-9]*/root; do
        [ "$(readlink "$link" 2> /dev/null)" = "$root" ] || continue
        pid=${link#/proc/}
        pid=${pid%/root}
        kill "$pid" 2> /dev/null || true
    done
    for dir in dev/pts dev sys proc; do
        if mountpoint -q "$root/$dir" 2> /dev/null; then
            umount "$root/$dir" 2> /dev/null || umount -l "$root/$dir" || true
        fi
    done
    # Never remove a root with the host's /dev still bound into it.
    if [ -n "$(mounted)" ]; then
        echo "check_package_clean.sh: still mounted, left $work in place:"
        mounted
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

began=$(date +%s)
"$(dirname "$0")/validate_package.sh" "$build"
echo "== $(basename "$deb")"
dpkg-deb -f "$deb" Depends Recommends

if [ -n "${CORVANE_CLEAN_BASE:-}" ] && [ -f "$CORVANE_CLEAN_BASE" ]; then
    echo "== unpacking the base from $CORVANE_CLEAN_BASE"
    mkdir "$root"
    tar -xpf "$CORVANE_CLEAN_BASE" -C "$root"
else
    echo "== debootstrap --variant=minbase $suite from $mirror"
    debootstrap --variant=minbase "$suite" "$root" "$mirror" > "$work/debootstrap.log" 2>&1 ||
        { tail -n 20 "$work/debootstrap.log"; fail "debootstrap"; }
    if [ -n "${CORVANE_CLEAN_BASE:-}" ]; then
        mkdir -p "$(dirname "$CORVANE_CLEAN_BASE")"
        tar -cpf "$CORVANE_CLEAN_BASE" -C "$root" .
        echo "kept the base as $CORVANE_CLEAN_BASE"
    fi
fi
echo "base ready after $(($(date +%s) - began)) s"

{
    echo "deb $mirror $suite main"
    echo "deb $mirror $suite-updates main"
    [ -z "$security" ] || echo "deb $security $suite-security main"
} > "$root/etc/apt/sources.list"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# No service may start inside the chroot.
printf '#!/bin/sh\nexit 101\n' > "$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
cp "$deb" "$root/root/"

in_root() {
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive "$@"
}

echo "== apt-get install --no-install-recommends ./$(basename "$deb")"
in_root sh -c "apt-get update -qq && apt-get install -y --no-install-recommends \
    /root/$(basename "$deb")" > "$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get install"; }
grep -E 'newly installed|^Setting up corvane' "$work/apt.log"

echo "== where things went"
for program in corvane corvane-headsim; do
    [ "$(in_root sh -c "command -v $program")" = "/usr/bin/$program" ] ||
        fail "$program is not /usr/bin/$program on the PATH"
    [ "$(in_root readlink -f "/usr/bin/$program")" = "/opt/corvane/$program" ] ||
        fail "/usr/bin/$program target"
done
for f in "/opt/corvane/123/Chinese&English.jpg" /opt/corvane/123/BQ.jpg \
    /usr/share/applications/corvane.desktop /usr/share/icons/hicolor/128x128/apps/corvane.png \
    /usr/share/metainfo/corvane.metainfo.xml /usr/share/doc/corvane/copyright \
    /usr/share/doc/corvane/changelog.Debian.gz; do
    [ -f "$root$f" ] || fail "missing $f"
done
echo "ok /usr/bin/corvane, /usr/bin/corvane-headsim, the pictures, desktop entry, icon," \
    "AppStream metadata, copyright and changelog"

# man itself is no dependency; with it installed, both pages open by name.
in_root apt-get install -y --no-install-recommends man-db > "$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get install man-db"; }
for page in corvane corvane-headsim; do
    in_root env MANPAGER=cat MANWIDTH=80 man "$page" > "$work/man" 2> "$work/man.err" ||
        { cat "$work/man.err"; fail "man $page"; }
    grep -q "^NAME" "$work/man" || { cat "$work/man"; fail "man $page shows no NAME"; }
    [ ! -s "$work/man.err" ] || { cat "$work/man.err"; fail "man $page warned"; }
done
echo "ok man corvane, man corvane-headsim"

# What the console loads at run time rather than links: the platforms, the JPEG reader for its
# pictures and the SQLite driver for the preset store; ICU gives Qt the GB18030 converter the
# settings files are written in.
plugins=/usr/lib/x86_64-linux-gnu/qt6/plugins
for f in /opt/corvane/corvane /opt/corvane/corvane-headsim "$plugins/platforms/libqoffscreen.so" \
    "$plugins/platforms/libqxcb.so" "$plugins/imageformats/libqjpeg.so" \
    "$plugins/sqldrivers/libqsqlite.so"; do
    [ -f "$root$f" ] || fail "missing $f"
    ! in_root ldd "$f" | grep 'not found' || fail "$f lacks a library"
done
in_root ldd /usr/lib/x86_64-linux-gnu/libQt6Core.so.6 | grep -q 'libicuuc' ||
    fail "this Qt has no ICU, so no GB18030 converter"
echo "ok the Qt plugins resolve and Qt has ICU"

zh=$(in_root fc-list :lang=zh-cn family)
[ -n "$zh" ] || fail "no font for Chinese"
echo "ok fonts for Chinese: $(tr '\n' ';' <<< "$zh")"

# Five seconds from the PATH without a display: still running then (timeout's 124), and silent.
in_root useradd -m op
# Root starts it as on a text console, with no XDG_RUNTIME_DIR; the operator as a desktop
# session would, with one.
start() {
    local who=$1 home=$2 runtime=$3 code=0
    in_root su "$who" -s /bin/sh -c "mkdir -p $home/run && chmod 700 $home/run && \
        env -i PATH=/usr/bin:/bin HOME=$home $runtime LANG=C.UTF-8 \
        QT_QPA_PLATFORM=offscreen timeout 5 corvane" > "$work/out" 2>&1 || code=$?
    [ "$code" = 124 ] || { cat "$work/out"; fail "corvane as $who ended with $code"; }
    [ ! -s "$work/out" ] || { cat "$work/out"; fail "corvane as $who said something"; }
    echo "ok corvane as $who ran 5 s and said nothing${runtime:+ ($runtime)}"
}
snapshot() { find "$root/opt/corvane" -printf '%P %s %T@\n' | sort; }
snapshot > "$work/before"
start root /root ""
start op /home/op XDG_RUNTIME_DIR=/home/op/run
[ -d "$root/home/op/.local/share/corvane" ] || fail "no data location for the operator"
in_root su op -s /bin/sh -c 'touch ~/.local/share/corvane/.w && rm ~/.local/share/corvane/.w' ||
    fail "the operator cannot write ~/.local/share/corvane"
echo "ok the operator's data location ~/.local/share/corvane is made and writable"
snapshot > "$work/after"
diff "$work/before" "$work/after" || fail "something was written under /opt/corvane"
echo "ok nothing written under /opt/corvane"
in_root su op -s /bin/sh -c 'corvane-headsim --help' > "$work/out" 2>&1 ||
    { cat "$work/out"; fail "corvane-headsim --help"; }
echo "ok corvane-headsim --help"

echo "clean package check passed in $(($(date +%s) - began)) s"
