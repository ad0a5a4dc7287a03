#!/bin/sh
# Builds the Debian package from the build directory into a temporary
# directory, as make package does, and runs lintian on it: any error or
# warning fails. Informational tags are shown only. Exits 77 (skipped) where
# lintian is not installed.
#
# usage: check-package.sh CPACK BUILD_DIR CONFIG
set -eu

if [ $# -ne 3 ]; then
    echo "usage: $0 CPACK BUILD_DIR CONFIG" >&2
    exit 2
fi
cpack=$1 build=$2 config=$3

if ! command -v lintian >/dev/null 2>&1; then
    echo "SKIP: lintian not found (Debian package lintian; see scripts/install-deps)"
    exit 77
fi

out=$(mktemp -d "${TMPDIR:-/tmp}/zelmora-package.XXXXXX")
trap 'rm -rf "$out"' EXIT INT TERM

echo "== cpack -G DEB into $out"
if ! (cd "$build" && "$cpack" -G DEB -C "$config" -B "$out") >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    echo "FAIL: cpack failed"
    exit 1
fi
set -- "$out"/zelmora_*.deb
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    cat "$out/cpack.log"
    echo "FAIL: cpack made no single zelmora_*.deb"
    exit 1
fi

echo "== lintian $(basename "$1")"
# lintian complains when run as root, on standard error; that line is left out.
# Overridden tags (packaging/zelmora.lintian-overrides) are not shown: with
# --show-overrides lintian would fail on them too.
if lintian --fail-on error,warning --display-info "$1" 2>"$out/lintian.err"; then
    grep -v 'running with root privileges' "$out/lintian.err" >&2 || true
    echo "== lintian found no errors and no warnings"
else
    grep -v 'running with root privileges' "$out/lintian.err" >&2 || true
    echo "FAIL: lintian reported errors or warnings"
    exit 1
fi
