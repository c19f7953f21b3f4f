#!/usr/bin/env bash
# Measures the pixel layout of the program's dialogs as they come out under
# Wine at 96 DPI (winprobe layout) and writes tools/skin/layout.txt, from
# which make_skin.py draws bitmaps of the same sizes. Run it after changing a
# dialog template, then run make_skin.py. Needs the Windows build tree.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"
ensure_wineprefix
ensure_display
start_wine
out="$ZANDU_ROOT/tools/skin/layout.txt"
exe="Z:$WIN_BUILD/src/ZanduSMS.exe"
{
    echo "# Written by tools/skin/measure.sh: winprobe layout of each dialog (pixels)."
    for dialog in 129 221 100 223 224 225 226 227; do
        echo "[$dialog]"
        wine "$WIN_BUILD/tests/win/winprobe.exe" layout "$exe" "$dialog" | tr -d '\r'
    done
} >"$out"
echo "wrote $out"
