#!/usr/bin/env bash
# Takes the README's pictures (docs/*.png) of the program's windows under Wine
# with the simulated phone and the reference server: run it after a change
# that shows in a window. See scripts/screenshots.py.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_packages
build_host phonesim
build_windows ZanduSMS zandu_skin winprobe
ensure_wineprefix
ensure_display
start_wine
map_ports

export ZANDU_BUILD=windows
export ZANDU_WINE_RUN=$WIN_BUILD/wine-run.sh
export ZANDU_PROGRAM=$WIN_BUILD/src/ZanduSMS.exe
export ZANDU_WINPROBE=$WIN_BUILD/tests/win/winprobe.exe
export ZANDU_PORTS_DIR=$ZANDU_PORTS
export ZANDU_WINEPREFIX=$WINEPREFIX
export ZANDU_PHONESIM=$HOST_BUILD/tools/phonesim/phonesim
python3 "$ZANDU_ROOT/scripts/screenshots.py"
