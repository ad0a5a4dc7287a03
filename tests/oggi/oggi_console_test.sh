#!/bin/sh
# usage: oggi_console_test.sh ZELMORA-OGGI.EXE WINE-COMMAND...
#
# zelmora-oggi.exe on a Windows console, run by the cross build's ctest on the
# build machine. script(1) gives Wine a terminal, which Wine turns into the
# program's console; cmd sets the console's code page to 850, the old one of
# Western Europe, which has no euro sign. The phrase must show all the same,
# with its accents and the euro sign, and an escape character must show as
# its picture rather than act on the terminal.
set -eu

program=$1
shift
dir=$(mktemp -d "${TMPDIR:-/tmp}/zelmora-console.XXXXXX")
trap 'rm -rf "$dir"' EXIT

# Windows-1252, CR LF: "Un caffè costa 1 € ESC[2J".
printf 'Un caff\350 costa 1 \200 \033[2J\r\n----\r\n' >"$dir/tesmi.txt"
# The same text in UTF-8, the escape character shown as U+241B.
expected=$(printf 'Un caff\303\250 costa 1 \342\202\254 \342\220\233[2J')

# The words of the Wine command, and the program as Windows names it.
export ZELMORA_WINE="$*"
export ZELMORA_OGGI_EXE="Z:$(printf '%s' "$program" | tr / '\\')"
cd "$dir"
# shellcheck disable=SC2016 # expanded by the shell that script(1) starts
shown=$(script -qec '$ZELMORA_WINE cmd /c "chcp 850 >NUL & $ZELMORA_OGGI_EXE"' /dev/null) || {
    echo "zelmora-oggi.exe ended with status $?: $shown" >&2
    exit 1
}

case $shown in
*"$expected"*) ;;
*)
    echo "expected on the console: $expected" >&2
    echo "shown:" >&2
    printf '%s\n' "$shown" | od -c >&2
    exit 1
    ;;
esac
case $shown in
*"1 / 1"*) ;;
*)
    echo "no position on the console: $shown" >&2
    exit 1
    ;;
esac
