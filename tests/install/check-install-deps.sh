#!/bin/sh
# scripts/install-deps as a newcomer meets it on a fresh Debian 12: as root it
# calls apt-get itself; as another user it goes through sudo and hands
# DEBIAN_FRONTEND=noninteractive on through it (sudo clears the
# environment); as another user without sudo it installs nothing and says in
# one line what to run as root. id, dpkg, dpkg-query, sudo and apt-get are
# stand-ins that record what they are asked; nothing is installed.
#
# usage: check-install-deps.sh INSTALL_DEPS
# shellcheck disable=SC2016 # the stand-ins' scripts expand when they run
set -eu

if [ $# -ne 1 ]; then
    echo "usage: $0 INSTALL_DEPS" >&2
    exit 2
fi
script=$1

work=$(mktemp -d "${TMPDIR:-/tmp}/zelmora-deps.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# A PATH of the stand-ins and of the few real tools the script uses, so that
# a sudo of the machine is not found.
bin=$work/bin
mkdir "$bin"
for tool in cat env grep sed sort; do
    ln -s "$(command -v "$tool")" "$bin/$tool"
done
# The stand-ins' scripts are in single quotes: they expand when they run.
stub() {
    printf '#!/bin/sh\n%s\n' "$2" >"$bin/$1"
    chmod +x "$bin/$1"
}
stub id 'echo "$ZELMORA_TEST_UID"'
stub dpkg 'case $1 in --print-architecture) echo amd64 ;; esac'
# Nothing is installed.
stub dpkg-query 'exit 1'
stub apt-get 'echo "apt-get $* DEBIAN_FRONTEND=${DEBIAN_FRONTEND:-}" >>"$ZELMORA_TEST_LOG"'

# run UID: runs the script for the set "run" as that user; its log and its
# standard error are left in $work/log and $work/err.
run() {
    : >"$work/log"
    env -i PATH="$bin" ZELMORA_TEST_UID="$1" ZELMORA_TEST_LOG="$work/log" \
        /bin/sh "$script" run >/dev/null 2>"$work/err"
}

echo "== as root: apt-get itself, non-interactive"
run 0 || fail "install-deps failed as root: $(cat "$work/err")"
grep -q '^apt-get install -y .*qt6-base-dev.* DEBIAN_FRONTEND=noninteractive$' "$work/log" ||
    fail "as root, apt-get install was not called non-interactive: $(cat "$work/log")"

echo "== as a user with sudo: DEBIAN_FRONTEND passed through sudo"
# Like sudo, the stand-in clears the environment before it runs the command.
stub sudo 'echo "sudo $*" >>"$ZELMORA_TEST_LOG"; exec env -i PATH="$PATH" ZELMORA_TEST_LOG="$ZELMORA_TEST_LOG" "$@"'
run 1000 || fail "install-deps failed with sudo: $(cat "$work/err")"
grep -q '^sudo env DEBIAN_FRONTEND=noninteractive apt-get install ' "$work/log" ||
    fail "sudo was not given DEBIAN_FRONTEND: $(cat "$work/log")"
grep -q '^apt-get install -y .* DEBIAN_FRONTEND=noninteractive$' "$work/log" ||
    fail "apt-get under sudo was not non-interactive: $(cat "$work/log")"

echo "== as a user without sudo: one line saying what to run as root"
rm "$bin/sudo"
if run 1000; then
    fail "install-deps succeeded without sudo and without root"
fi
cat "$work/err"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "not one line on standard error"
grep -q 'as root, run: apt-get update && apt-get install --no-install-recommends .*qt6-base-dev' \
    "$work/err" || fail "the line does not say what to run as root"
[ ! -s "$work/log" ] || fail "apt-get was called without sudo: $(cat "$work/log")"

if [ "$failures" -ne 0 ]; then
    echo "== $failures check(s) failed"
    exit 1
fi
echo "== install-deps behaves as root, with sudo and without"
