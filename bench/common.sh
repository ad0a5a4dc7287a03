# Shared by bench/run and bench/startup (sourced, not run).
#
# Settings from the environment:
#   BUILD_DIR   where the benchmark programs are built (default build-bench/)
#   JOBS        parallel compile jobs (default 2)
#   TMPDIR      where the large phrase file goes (default /tmp)

bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$bench_root/build-bench}
case "$BUILD_DIR" in
/*) ;;
*) BUILD_DIR=$PWD/$BUILD_DIR ;; # the benchmarks change directory
esac
JOBS=${JOBS:-2}

# bench_build TARGET...: configures BUILD_DIR when it is new, then builds the
# targets (and nothing else) there.
bench_build() {
    if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
        cmake -S "$bench_root" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    cmake --build "$BUILD_DIR" --parallel "$JOBS" --target "$@" >/dev/null
}

# bench_data_dir KEEP: prints the directory for the large phrase file. With
# KEEP=1 it is a fixed directory that is kept, so later runs reuse the file;
# otherwise a new temporary directory that bench_cleanup removes.
bench_data_dir() {
    if [ "$1" = 1 ]; then
        local dir="${TMPDIR:-/tmp}/zelmora-bench-data"
        mkdir -p "$dir"
        printf '%s\n' "$dir"
    else
        mktemp -d "${TMPDIR:-/tmp}/zelmora-bench.XXXXXX"
    fi
}

# bench_phrase_file DIR MIB: makes (or reuses) DIR/MIB/tesmi.txt, a phrase file
# of about MIB mebibytes, and prints its path. The number of phrases it holds
# is left in DIR/MIB/count. The file is the same on every run, so a finished
# one (its count written) is reused.
bench_phrase_file() {
    local dir="$1/$2"
    mkdir -p "$dir"
    if [ ! -s "$dir/count" ] || [ ! -f "$dir/tesmi.txt" ]; then
        rm -f "$dir/count"
        "$BUILD_DIR/bench/zelmora-bench-phrases" "$dir/tesmi.txt" "$2" >"$dir/count.new"
        mv "$dir/count.new" "$dir/count"
    fi
    printf '%s\n' "$dir/tesmi.txt"
}

# Reads the whole file once so that the timed runs find it in the page cache.
bench_warm() {
    cat "$1" >/dev/null
}

# median: the median of the numbers on standard input, one per line.
median() {
    sort -n | awk '{ v[NR] = $1 } END {
        if (NR == 0) exit 1
        if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# ratio A B: A / B with two decimals.
ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'
}
