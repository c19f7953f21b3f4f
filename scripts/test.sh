#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test: the host
# tree natively under the sanitizers, the Windows tree under Wine.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_packages
build_host
log "Host tests"
ctest --test-dir "$HOST_BUILD" --output-on-failure -j2

build_windows
ensure_wineprefix
ensure_display
log "Windows tests under Wine, in $ZANDU_LANES lanes"
start_lanes
ctest --test-dir "$WIN_BUILD" --output-on-failure -j"$ZANDU_LANES" --resource-spec-file "$WIN_BUILD/lanes.json"
