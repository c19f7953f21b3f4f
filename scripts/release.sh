#!/usr/bin/env bash
# Builds the release in a build tree of its own, made from scratch: the
# Windows installer and the portable zip, named with the project's version.
# Prints the path, size and SHA-256 of each.
#
#   bash scripts/release.sh           the artefacts, in build/release/release/
#   bash scripts/release.sh --test    the same, then their tests under Wine in a
#                                     fresh prefix (build/release/wineprefix)
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

case "${1:-}" in
    "") run_tests=0 ;;
    --test) run_tests=1 ;;
    *) echo "usage: bash scripts/release.sh [--test]" >&2; exit 2 ;;
esac

ZANDU_PACKAGES+=(nsis zip unzip)
install_packages

RELEASE_BUILD=$ZANDU_BUILD/release
release_options=()
if [ "$run_tests" = 1 ]; then
    # The tests drive the installed program with the tools of the other trees.
    build_host phonesim
    build_windows winprobe
    release_options=(-DZANDU_WINPROBE="$WIN_BUILD/tests/win/winprobe.exe" -DZANDU_HOST_BUILD_DIR="$HOST_BUILD")
fi

if [ -n "$(git -C "$ZANDU_ROOT" status --porcelain 2>/dev/null)" ]; then
    echo "warning: the working tree has changes that are not committed; the release carries them" >&2
fi
log "Building the release in $RELEASE_BUILD"
rm -rf "$RELEASE_BUILD"
cmake -S "$ZANDU_ROOT" -B "$RELEASE_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$ZANDU_ROOT/cmake/mingw-w64-x86_64.cmake" -DZANDU_TESTS=OFF \
      "${release_options[@]}" >/dev/null
cmake --build "$RELEASE_BUILD" --target release

log "The release"
while read -r artefact; do
    printf '%s\n    %s bytes, SHA-256 %s\n' "$artefact" "$(stat -c %s "$artefact")" \
        "$(sha256sum "$artefact" | cut -d' ' -f1)"
done < "$RELEASE_BUILD/release/artefacts.txt"

[ "$run_tests" = 1 ] || exit 0

# A prefix of the release tree's own, new for every run, so that nothing an
# earlier run or the test tree left there can make the tests pass. No menu
# entries on the host for the shortcuts the installer makes.
export WINEPREFIX=$RELEASE_BUILD/wineprefix
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
ZANDU_PORTS=$RELEASE_BUILD/ports
ensure_wineprefix
ensure_display
log "Release tests under Wine"
start_wine
map_ports
ctest --test-dir "$RELEASE_BUILD" --output-on-failure
