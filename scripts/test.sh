#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test: the host
# tree natively under the sanitizers, the Windows tree under Wine.
#
# The Windows tests spend much of their time waiting for windows and phones,
# so the host tests run beside them, niced: they take the cores the lanes
# leave idle and give way whenever a lane wants one. Their output comes
# after the Windows tests'.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_packages
build_host
build_windows
ensure_wineprefix
ensure_display
start_lanes

log "Host tests, beside the Windows tests (their output follows)"
host_log=$HOST_BUILD/ctest-output.log
nice -n 19 ctest --test-dir "$HOST_BUILD" --output-on-failure -j2 >"$host_log" 2>&1 &
host_pid=$!

log "Windows tests under Wine, in $ZANDU_LANES lanes"
win_status=0
ctest --test-dir "$WIN_BUILD" --output-on-failure -j"$ZANDU_LANES" --resource-spec-file "$WIN_BUILD/lanes.json" ||
    win_status=$?

host_status=0
wait "$host_pid" || host_status=$?
log "Host tests"
cat "$host_log"
[ "$win_status" -eq 0 ] && [ "$host_status" -eq 0 ]
