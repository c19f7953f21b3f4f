# Shared set-up for run.sh and test.sh: packages, the two build trees, the
# private Wine prefix and a virtual display. Every step is idempotent.
set -euo pipefail

ZANDU_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZANDU_BUILD=${ZANDU_BUILD_DIR:-$ZANDU_ROOT/build}
HOST_BUILD=$ZANDU_BUILD/host
WIN_BUILD=$ZANDU_BUILD/windows
ZANDU_PORTS=$WIN_BUILD/ports
export WINEPREFIX=$WIN_BUILD/wineprefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}  # no Mono or Gecko prompts
export LANG=C.UTF-8 LC_ALL=C.UTF-8

ZANDU_PACKAGES=(cmake ninja-build g++ googletest g++-mingw-w64-x86-64-posix
                wine wine64 xvfb xauth python3 python3-gammu
                xdotool imagemagick xcompmgr nlohmann-json3-dev openssl)

log() { printf '\n== %s\n' "$*"; }

install_packages() {
    local missing=() p
    for p in "${ZANDU_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "Installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# Both take the targets to build; everything when none is named.
build_host() {
    log "Building the host tree (native, AddressSanitizer + UndefinedBehaviorSanitizer)"
    cmake -S "$ZANDU_ROOT" -B "$HOST_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZANDU_SANITIZE=ON >/dev/null
    cmake --build "$HOST_BUILD" ${1:+--target "$@"}
}

build_windows() {
    log "Building the Windows tree (MinGW-w64)"
    cmake -S "$ZANDU_ROOT" -B "$WIN_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$ZANDU_ROOT/cmake/mingw-w64-x86_64.cmake" \
          -DZANDU_HOST_BUILD_DIR="$HOST_BUILD" >/dev/null
    cmake --build "$WIN_BUILD" ${1:+--target "$@"}
}

ensure_wineprefix() {
    [ -f "$WINEPREFIX/system.reg" ] && return 0
    log "Creating the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    # A crash must end the process, not wait for a click in a dialog nobody sees.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
}

# The COM ports of the tests and of the simulated phone. COM5-COM8 and COM12
# are links in $ZANDU_PORTS, which the phone simulator creates with --link; a
# port whose link is absent is missing. Wine resolves dosdevices/comN at every
# open, so no restart is needed when a link changes. (Mapping a port through
# HKLM\Software\Wine\Ports instead makes Wine open even a missing device and
# fail later, so it is not used.) COM5-COM8 are in the print spooler's list;
# COM12 is only in the serial device map, as USB and Bluetooth phones often
# are. The device map is volatile: run this after start_wine.
map_ports() {
    mkdir -p "$ZANDU_PORTS"
    local n
    for n in 5 6 7 8 12; do
        ln -sfn "$ZANDU_PORTS/COM$n" "$WINEPREFIX/dosdevices/com$n"
    done
    cat > "$ZANDU_PORTS/ports.reg" <<'EOF'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Ports]
"COM5:"="9600,n,8,1"
"COM6:"="9600,n,8,1"
"COM7:"="9600,n,8,1"
"COM8:"="9600,n,8,1"

[HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM]
"\\Device\\ZanduPhone12"="COM12"
EOF
    wine regedit /S "$ZANDU_PORTS/ports.reg" >/dev/null 2>&1 </dev/null
}

# Starts one Wine server with its services for the whole run. The services
# are started here, detached from any pipe: started by a test, they would
# inherit its output pipe and keep the test runner waiting for its end.
start_wine() {
    wine_up
    trap 'stop_wine' EXIT
}

wine_up() {
    wineserver -p 2>/dev/null || true  # an interrupted run may have left one running
    wine cmd /c exit >/dev/null 2>&1 </dev/null
}

ZANDU_XVFB_PIDS=()
ZANDU_LANE_PREFIXES=()

stop_wine() {
    local prefix pid
    wineserver -k 2>/dev/null || true
    for prefix in "${ZANDU_LANE_PREFIXES[@]}"; do WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; done
    for pid in "${ZANDU_XVFB_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
}

# Starts Xvfb on a free display unless one is given; stopped when the script exits.
ensure_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    start_xvfb
    export DISPLAY=$ZANDU_NEW_DISPLAY
}

# Starts Xvfb on a free display and names it in ZANDU_NEW_DISPLAY.
start_xvfb() {
    local n=91
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    ZANDU_XVFB_PIDS+=($!)
    trap 'stop_wine' EXIT
    ZANDU_NEW_DISPLAY=":$n"
    local i
    for i in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
    echo "Xvfb did not start" >&2
    return 1
}

# The Windows tests run in ZANDU_LANES lanes at once, as build/windows/
# lane-run.sh describes: lane 0 is the tree's prefix, ports and display (set
# up as for one lane), lane N > 0 gets a copy of the prefix in laneN/, its own
# port links and its own Xvfb. Writes the resource file that hands the lanes
# out to ctest. Run after ensure_wineprefix and ensure_display, before Wine
# starts in the tree's prefix (a prefix is copied while no server uses it).
ZANDU_LANES=${ZANDU_LANES:-4}
start_lanes() {
    local lane dir groups='{"id": "0", "slots": 1}' displays=$DISPLAY
    for lane in $(seq 1 $((ZANDU_LANES - 1))); do
        dir=$WIN_BUILD/lane$lane
        if [ ! -f "$dir/wineprefix/system.reg" ]; then
            log "Copying the Wine prefix for test lane $lane"
            wineserver -k 2>/dev/null || true
            rm -rf "$dir/wineprefix"
            mkdir -p "$dir"
            cp -a "$WINEPREFIX" "$dir/wineprefix"
        fi
        start_xvfb
        displays+=" $ZANDU_NEW_DISPLAY"
        ZANDU_LANE_PREFIXES+=("$dir/wineprefix")
        (export WINEPREFIX=$dir/wineprefix DISPLAY=$ZANDU_NEW_DISPLAY; ZANDU_PORTS=$dir/ports; wine_up; map_ports)
        groups+=", {\"id\": \"$lane\", \"slots\": 1}"
    done
    export ZANDU_LANE_DISPLAYS=$displays
    start_wine
    map_ports
    printf '{"version": {"major": 1, "minor": 0}, "local": [{"lanes": [%s]}]}\n' "$groups" > "$WIN_BUILD/lanes.json"
}
