#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine with a
# phone on COM5: the real one named by ZANDU_PHONE (a device such as
# /dev/ttyACM0) or found attached, otherwise the phone simulator.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_packages
# Only what is started: the program and the simulated phone, not the tests.
build_host phonesim
build_windows ZanduSMS zandu_skin
ensure_wineprefix
ensure_display
start_wine
map_ports

phone=${ZANDU_PHONE:-}
if [ -z "$phone" ]; then
    for device in /dev/ttyACM* /dev/ttyUSB* /dev/rfcomm*; do
        [ -e "$device" ] && { phone=$device; break; }
    done
fi
if [ -n "$phone" ] && [ "$phone" != sim ]; then
    log "COM5 is the phone on $phone"
    ln -sfn "$phone" "$ZANDU_PORTS/COM5"
else
    log "COM5 is the phone simulator (its log: $ZANDU_PORTS/COM5.log)"
    "$HOST_BUILD/tools/phonesim/phonesim" --link "$ZANDU_PORTS/COM5" --baud 9600 \
        --log "$ZANDU_PORTS/COM5.log" &
    ZANDU_PHONESIM_PID=$!
    trap 'kill "$ZANDU_PHONESIM_PID" 2>/dev/null; stop_wine' EXIT
    # The program lists the ports it finds at its start: the phone must be there.
    for _ in $(seq 100); do [ -e "$ZANDU_PORTS/COM5" ] && break; sleep 0.1; done
fi

# A first start offers the phone's port; a port the user chose is kept.
wine reg query 'HKLM\Software\Zandu SMS' /v Port >/dev/null 2>&1 </dev/null ||
    wine reg add 'HKLM\Software\Zandu SMS' /v Port /d COM5 /f >/dev/null 2>&1 </dev/null

log "Starting Zandu SMS"
wine "$WIN_BUILD/src/ZanduSMS.exe"
