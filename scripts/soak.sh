#!/usr/bin/env bash
# The soak and the load run through the window under Wine (tools/soak/soak.py
# says what they check); not part of the test command. Installs and builds
# what it needs, like test.sh, prints the figures and writes them to
# build/soak/figures.txt.
#
#   bash scripts/soak.sh [--messages N] [--kill-every N] [--minutes M] [--recipients N] [--seed S]
#                                            default: 2000, 200, no limit, 1000, 1
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_packages
build_host phonesim
build_windows ZanduSMS winprobe
# A Wine prefix and ports of its own, so that the run touches neither the
# test prefix's settings nor its COM-port links and may go on beside the tests.
SOAK=$ZANDU_BUILD/soak
export WINEPREFIX=$SOAK/wineprefix
ZANDU_PORTS=$SOAK/ports
mkdir -p "$SOAK"
{
    echo '#!/bin/sh'
    echo "export WINEPREFIX=\"$WINEPREFIX\""
    echo 'export WINEDEBUG="${WINEDEBUG:--all}"'
    echo 'export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"'
    echo 'exec wine "$@"'
} > "$SOAK/wine-run.sh"
chmod +x "$SOAK/wine-run.sh"
ensure_wineprefix
ensure_display
start_wine
map_ports
ZANDU_WINEPREFIX="$WINEPREFIX" ZANDU_BUILD=windows ZANDU_WINE_RUN="$SOAK/wine-run.sh" ZANDU_PROGRAM="$WIN_BUILD/src/ZanduSMS.exe" \
    ZANDU_WINPROBE="$WIN_BUILD/tests/win/winprobe.exe" ZANDU_PORTS_DIR="$ZANDU_PORTS" \
    ZANDU_PHONESIM="$HOST_BUILD/tools/phonesim/phonesim" \
    python3 "$ZANDU_ROOT/tools/soak/soak.py" --figures "$SOAK/figures.txt" "$@"
