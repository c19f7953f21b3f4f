#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_packages
build_host
build_windows
ensure_wineprefix
ensure_display
log "Starting Zandu SMS"
wine "$WIN_BUILD/src/ZanduSMS.exe"
