#!/usr/bin/env bash
# Builds every fuzz target for libFuzzer with clang (and the sanitizers) in
# build/fuzz and runs each for a while over its seeds and a corpus kept in
# build/fuzz/corpus/<name>; prints the runs and time of each. A crash, a
# broken invariant or an input that takes too long stops that target with
# the input in build/fuzz/crashes/. The import's readers run a second lane of
# inputs up to 1 MB, corpus build/fuzz/corpus/<name>-large.
#
#   bash scripts/fuzz.sh [SECONDS PER TARGET] [TARGET...]     default: 300 s, every target
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
FUZZ_BUILD=${ZANDU_BUILD_DIR:-$ROOT/build}/fuzz
SECONDS_EACH=${1:-300}
shift || true

if ! command -v clang++ >/dev/null; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang
fi
TARGETS=("$@")
if [ ${#TARGETS[@]} -eq 0 ]; then
    for f in "$ROOT"/tests/fuzz/*_fuzz.cpp; do
        n=$(basename "$f" _fuzz.cpp)
        TARGETS+=("$n")
    done
fi
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$FUZZ_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZANDU_SANITIZE=ON -DZANDU_FUZZ=ON >/dev/null
cmake --build "$FUZZ_BUILD" --target "${TARGETS[@]/%/_fuzzer}"

# Larger inputs only where the parser reads files.
declare -A MAX_LEN=([bmp_file]=800000)
# The import's readers also run a second lane of inputs up to 1 MB (at once,
# not grown slowly), each held to a few seconds: what only large inputs show,
# a reader slower than linear, fails there as a time-out.
LARGE_LANE=(contact_csv contact_vcard)
LARGE_LEN=1048576
LARGE_TIMEOUT=5
mkdir -p "$FUZZ_BUILD/crashes"
status=0

# NAME CORPUS -- libFuzzer options: one run of a target; prints its line.
run_lane() {
    local t=$1 corpus=$2 log="$FUZZ_BUILD/$2.log" result runs secs
    shift 3
    mkdir -p "$FUZZ_BUILD/corpus/$corpus"
    if "$FUZZ_BUILD/tests/fuzz/${t}_fuzzer" -max_total_time="$SECONDS_EACH" "$@" \
           -rss_limit_mb=4096 -print_final_stats=1 -close_fd_mask=1 \
           -artifact_prefix="$FUZZ_BUILD/crashes/$corpus-" \
           "$FUZZ_BUILD/corpus/$corpus" "$ROOT/tests/fuzz/seeds/$t" >"$log" 2>&1; then
        result=clean
    else
        result="FOUND (see $log and $FUZZ_BUILD/crashes/)"
        status=1
    fi
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
    secs=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | grep -o 'in [0-9]*' | grep -o '[0-9]*' || echo "$SECONDS_EACH")
    printf '%-22s %12s runs in %5s s  corpus %5s  %s\n' "$corpus" "$runs" "$secs" \
           "$(ls "$FUZZ_BUILD/corpus/$corpus" | wc -l)" "$result"
}

for t in "${TARGETS[@]}"; do
    run_lane "$t" "$t" -- -max_len="${MAX_LEN[$t]:-4096}" -timeout=10
    if [[ " ${LARGE_LANE[*]} " == *" $t "* ]]; then
        run_lane "$t" "$t-large" -- -max_len="$LARGE_LEN" -len_control=0 -timeout="$LARGE_TIMEOUT"
    fi
done
exit $status
