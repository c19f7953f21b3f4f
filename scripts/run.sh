#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine with a
# phone on COM5: the real one named by ZANDU_PHONE (a device such as
# /dev/ttyACM0) or found attached, otherwise the phone simulator. The
# reference server of the online services runs on 127.0.0.1 meanwhile, and the
# prefix's "Server" setting points at it.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

install_packages
# Only what is started: the program and the simulated phone, not the tests.
build_host phonesim
build_windows ZanduSMS zandu_skin
ensure_wineprefix
ensure_display
start_wine
map_ports

# What this script starts in the background, stopped when it ends.
ZANDU_CHILDREN=()
stop_children() {
    local pid
    for pid in "${ZANDU_CHILDREN[@]}"; do kill "$pid" 2>/dev/null || true; done
    stop_wine
}
trap stop_children EXIT

REFSERVER_DIR=$ZANDU_BUILD/refserver
mkdir -p "$REFSERVER_DIR"
rm -f "$REFSERVER_DIR/port"
# It offers a newer version only when ZANDU_UPDATE_REPLY names a reply to serve.
python3 "$ZANDU_ROOT/tools/refserver/refserver.py" --host 127.0.0.1 --port 0 --port-file "$REFSERVER_DIR/port" \
    --db "$REFSERVER_DIR/reports.db" ${ZANDU_UPDATE_REPLY:+--update-reply "$ZANDU_UPDATE_REPLY"} \
    >"$REFSERVER_DIR/server.log" 2>&1 &
ZANDU_CHILDREN+=($!)
for i in $(seq 100); do [ -s "$REFSERVER_DIR/port" ] && break; sleep 0.1; done
[ -s "$REFSERVER_DIR/port" ] || { echo "the reference server did not start (see $REFSERVER_DIR/server.log)" >&2; exit 1; }
ZANDU_SERVER_URL="http://127.0.0.1:$(cat "$REFSERVER_DIR/port")"
wine reg add 'HKCU\Software\Zandu SMS' /v Server /t REG_SZ /d "$ZANDU_SERVER_URL" /f >/dev/null 2>&1 </dev/null
log "The online services go to the reference server on $ZANDU_SERVER_URL"
echo "Reports arrive in $REFSERVER_DIR/reports.db; read them with"
echo "    python3 $ZANDU_ROOT/tools/refserver/refserver.py --show --db $REFSERVER_DIR/reports.db"

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
        --messages "$ZANDU_ROOT/tools/phonesim/sample-messages.json" \
        --incoming-every 120 --report-after 10 \
        --log "$ZANDU_PORTS/COM5.log" &
    ZANDU_CHILDREN+=($!)
    # The program lists the ports it finds at its start: the phone must be there.
    for _ in $(seq 100); do [ -e "$ZANDU_PORTS/COM5" ] && break; sleep 0.1; done
fi

# A first start offers the phone's port; a port the user chose is kept.
wine reg query 'HKCU\Software\Zandu SMS' /v Port >/dev/null 2>&1 </dev/null ||
    wine reg add 'HKCU\Software\Zandu SMS' /v Port /d COM5 /f >/dev/null 2>&1 </dev/null

log "Starting Zandu SMS"
wine "$WIN_BUILD/src/ZanduSMS.exe"
