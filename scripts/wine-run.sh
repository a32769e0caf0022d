#!/usr/bin/env bash
# Runs a Windows program under Wine, bounded in time: CMake's emulator for the cross-built
# test programs. The Wine prefix, WINEDEBUG and DISPLAY come from the caller's environment.
# TARNWICK_WINE_TIMEOUT (seconds, default 900) bounds one run.
set -euo pipefail

program=${1:?usage: wine-run.sh PROGRAM.exe [ARGUMENTS...]}
export WINEDEBUG=${WINEDEBUG:--all}

# A 64-bit program needs Wine's 64-bit loader; Debian's "wine" starts the 32-bit one.
pe_machine() {
    local header
    header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' '
}
loader=wine
if [[ $(pe_machine "$program") == 8664 ]]; then
    loader=/usr/lib/wine/wine64
    export WINELOADER=$loader
fi

exec timeout --kill-after=10 "${TARNWICK_WINE_TIMEOUT:-900}" "$loader" "$@"
