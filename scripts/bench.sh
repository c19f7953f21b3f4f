#!/usr/bin/env bash
# Installs what is missing, builds what the benchmark drives (release builds:
# the program, the console tool, the region benchmark and winprobe in the
# Windows tree; the phone simulator and the contact import's benchmark in a
# release host tree of its own) and prints one table of figures, also
# written to build/bench/bench.md.
#   bash scripts/bench.sh [--runs N] [--idle SECONDS] [--only startup,region,send,memory,idle,receiving,history,import,conversations] [--smoke]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

BENCH_BUILD=$ZANDU_BUILD/bench
install_packages
build_windows ZanduSMS zandu_skin zandusms-cli region_bench winprobe
log "Building the phone simulator and the import's benchmark (release, native)"
cmake -S "$ZANDU_ROOT" -B "$BENCH_BUILD/host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZANDU_TESTS=OFF >/dev/null
cmake --build "$BENCH_BUILD/host" --target phonesim import_bench
ensure_wineprefix
ensure_display
start_wine
map_ports
log "Benchmarks"
ZANDU_BUILD_DIR=$ZANDU_BUILD ZANDU_PHONESIM=$BENCH_BUILD/host/tools/phonesim/phonesim \
    python3 "$ZANDU_ROOT/tools/bench/bench_table.py" --out "$BENCH_BUILD/bench.md" "$@"
