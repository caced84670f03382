#!/usr/bin/env bash
# make package-validate, make package-check-clean and CI: checks the package that make package
# built against Debian's and the desktops' rules, with lintian on the .deb (its overrides in
# packaging/lintian-overrides), desktop-file-validate on its desktop entry and appstreamcli on
# its AppStream metadata. Any error or warning fails.
# Usage: tools/validate_package.sh [--installed-only] [build directory]
#   --installed-only  skip, without a word, each of the three that is not installed (CI)
set -euo pipefail
installed_only=false
if [ "${1:-}" = --installed-only ]; then
    installed_only=true
    shift
fi
build=${1:-build}

deb=$(ls -t "$build"/corvane_*.deb 2> /dev/null | head -n 1 || true)
if [ -z "$deb" ]; then
    echo "validate_package.sh: no corvane_*.deb in $build; run make package first"
    exit 1
fi

# Whether to run a validator: yes when installed; when not, a failure, or a quiet skip.
have() {
    command -v "$1" > /dev/null && return 0
    $installed_only && return 1
    echo "validate_package.sh: $1 is missing: apt-get install $2"
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
cp "$deb" "$work/"
dpkg-deb -x "$deb" "$work/tree"
failed=0

if have lintian lintian; then
    echo "== lintian $(basename "$deb")"
    # Lintian warns when it runs as root, so root runs it as nobody, from a directory nobody
    # may enter.
    as=()
    mkdir "$work/lintian"
    if [ "$(id -u)" = 0 ]; then
        chown nobody "$work/lintian"
        as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    fi
    if (cd "$work/lintian" && "${as[@]}" env -i PATH=/usr/bin:/bin HOME="$work/lintian" \
        TMPDIR="$work/lintian" LANG=C.UTF-8 lintian --fail-on error,warning \
        "$work/$(basename "$deb")"); then
        echo "ok lintian: no error, no warning"
    else
        failed=1
    fi
fi

if have desktop-file-validate desktop-file-utils; then
    entry=$work/tree/usr/share/applications/corvane.desktop
    echo "== desktop-file-validate /usr/share/applications/corvane.desktop"
    # It ends well after mere warnings and hints; those count here too.
    if out=$(desktop-file-validate "$entry" 2>&1) && [ -z "$out" ]; then
        echo "ok desktop-file-validate: nothing to report"
    else
        echo "$out"
        failed=1
    fi
fi

if have appstreamcli appstream; then
    echo "== appstreamcli validate /usr/share/metainfo/corvane.metainfo.xml"
    appstreamcli validate --no-net "$work/tree/usr/share/metainfo/corvane.metainfo.xml" ||
        failed=1
fi

[ "$failed" = 0 ] || { echo "FAILED: the package does not pass its validators"; exit 1; }
