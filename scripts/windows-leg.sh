#!/usr/bin/env bash
# The Windows leg of the test run: cross-builds the wizard, its tools and the test programs with
# mingw-w64 and runs the tests under Wine against the reference API service, reached the way
# the wizard reaches its API: https://localhost on port 443, trusted through the system store.
#
#     bash scripts/windows-leg.sh NATIVE_BUILD_DIR
#
# NATIVE_BUILD_DIR is the Linux build that holds tools/devserver/tarnwick-devserver. Runs as
# root on Debian 12: it installs packages, adds the service's certificate authority to the
# system store and two test names to /etc/hosts, and takes all of that back when it ends.
set -euo pipefail

readonly marker="tarnwick-windows-leg"
readonly ca_file=/usr/local/share/ca-certificates/$marker.crt
readonly untrusted_host=untrusted.tarnwick.test
readonly untrusted_address=127.0.0.2
readonly mismatch_host=mismatch.tarnwick.test
readonly mismatch_address=127.0.0.3
readonly wine64=/usr/lib/wine/wine64
readonly wine32=/usr/lib/wine/wine

log() { printf '[windows-leg %4ss] %s\n' "$SECONDS" "$*"; }
die() {
    printf 'windows-leg: %s\n' "$*" >&2
    exit 1
}

[[ $# -eq 1 ]] || die "usage: $0 NATIVE_BUILD_DIR"
[[ $(id -u) -eq 0 ]] || die "must run as root (packages, trust store, port 443)"
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
native_build=$(cd "$1" && pwd)
devserver=$native_build/tools/devserver/tarnwick-devserver
[[ -x $devserver ]] || die "no $devserver: build the native leg first"
deps_cache=${TARNWICK_DEB_SOURCE_CACHE:-/var/cache/tarnwick-deps}

# ---------------------------------------------------------------------------------------------
# Everything this run changed on the machine is taken back here, whatever way it ends.
server_pids=()
xvfb_pid=""
wine_started=false
cleanup() {
    local status=$?
    set +e
    if [[ ${#server_pids[@]} -gt 0 ]]; then
        kill "${server_pids[@]}" 2> /dev/null
        wait "${server_pids[@]}" 2> /dev/null
    fi
    if $wine_started; then
        timeout 30 wineserver -k 2> /dev/null
    fi
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2> /dev/null
        wait "$xvfb_pid" 2> /dev/null
    fi
    if [[ -f $ca_file ]]; then
        rm -f "$ca_file"
        update-ca-certificates --fresh > /dev/null 2>&1
    fi
    remove_host_names
    exit "$status"
}

# /etc/hosts is rewritten in place: it may be a mount that cannot be replaced by a rename.
remove_host_names() {
    if grep -q "# $marker\$" /etc/hosts 2> /dev/null; then
        local kept
        kept=$(grep -v "# $marker\$" /etc/hosts || true)
        printf '%s\n' "$kept" > /etc/hosts
    fi
}

trap cleanup EXIT

# ---------------------------------------------------------------------------------------------
log "packages"
packages=(
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
    wine wine64 wine32:i386 xvfb xauth
    cmake ninja-build dpkg-dev ca-certificates googletest nlohmann-json3-dev curl ccache
)
installed=$(dpkg-query -W -f='${db:Status-Status}\n' "${packages[@]}" 2> /dev/null |
    grep -c '^installed$' || true)
if [[ $installed -ne ${#packages[@]} ]]; then
    started=$SECONDS
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get -o DPkg::Lock::Timeout=600 update -qq
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
        --no-install-recommends "${packages[@]}" > /dev/null
    log "installed in $((SECONDS - started)) s"
fi
# Libraries without a mingw-w64 package, built by the Windows build from their Debian sources.
for source_package in tinyxml2 libzip; do
    bash "$repo/scripts/fetch-deb-source.sh" "$source_package" "$deps_cache"
done

# ---------------------------------------------------------------------------------------------
# The wizard ships as a 32-bit program. Wine runs 32-bit programs only where the kernel runs
# 32-bit code; where it does not, the test programs are built and run as 64-bit programs.
# TARNWICK_WINDOWS_TESTS=x64 runs them as 64-bit programs anyway, as such a machine would.
if [[ ${TARNWICK_WINDOWS_TESTS:-} != x64 ]] && "$wine32" --version > /dev/null 2>&1; then
    test_preset=windows
else
    test_preset=windows-x64
    log "the tests run as 64-bit programs"
fi

source "$repo/scripts/compiler-cache.sh"
log "building the 32-bit wizard and tools"
cmake --preset windows -DTARNWICK_DEB_SOURCE_CACHE="$deps_cache" "${compiler_cache[@]}" > /dev/null
if [[ $test_preset == windows ]]; then
    cmake --build --preset windows --target all tinyxml2
else
    cmake --build --preset windows --target tarnwick tarnwick-inspect tinyxml2
    log "building the 64-bit test programs"
    cmake --preset windows-x64 -DTARNWICK_DEB_SOURCE_CACHE="$deps_cache" "${compiler_cache[@]}" \
        > /dev/null
    cmake --build --preset windows-x64 --target all
fi
test_build=$repo/build-$test_preset

# ---------------------------------------------------------------------------------------------
log "Wine"
export WINEPREFIX=$test_build/wine-prefix
export WINEARCH=win64
export WINEDEBUG=-all
export WINELOADER=$wine64
display_file=$(mktemp)
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3> "$display_file" > /dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $display_file ]] && break
    kill -0 "$xvfb_pid" 2> /dev/null || die "Xvfb did not start"
    sleep 0.1
done
[[ -s $display_file ]] || die "Xvfb did not report its display"
export DISPLAY=:$(head -n 1 "$display_file")
rm -f "$display_file"

wine_started=true
if [[ ! -f $WINEPREFIX/system.reg ]]; then
    timeout 300 "$wine64" wineboot -i > /dev/null 2>&1
    timeout 120 wineserver -w
fi
timeout 120 "$wine64" winecfg -v win10
timeout 120 wineserver -w
# One server for the whole run; without a first program to start it, the first test waits.
wineserver -p
timeout 120 "$wine64" cmd /c exit 0

# ---------------------------------------------------------------------------------------------
log "reference service on port 443"
# Starts a service in the background and waits until it listens; its process id goes into
# server_pids. Arguments: a name for its files, then the service's options.
start_server() {
    local name=$1
    shift
    local out=$test_build/$name.out
    "$devserver" --root "$repo/tests/fixtures/devserver-root" --port 443 \
        --interim-continue no "$@" > "$out" 2> "$test_build/$name.err" &
    server_pids+=("$!")
    for _ in $(seq 300); do
        grep -q '^port 443$' "$out" 2> /dev/null && return 0
        kill -0 "$!" 2> /dev/null || break
        sleep 0.1
    done
    cat "$test_build/$name.err" >&2
    die "$name did not start"
}

trusted_tls=$test_build/devserver-tls
start_server devserver --bind 127.0.0.1 --tls-dir "$trusted_tls" \
    --log "$test_build/devserver-requests.log"
install -m 0644 "$trusted_tls/ca.pem" "$ca_file"
update-ca-certificates > /dev/null 2>&1

# Two more copies under names of their own: one with a certificate for its name from an
# authority nobody trusts, one with a certificate from the trusted authority for other names.
remove_host_names
if [[ -s /etc/hosts && -n $(tail -c 1 /etc/hosts) ]]; then
    echo >> /etc/hosts
fi
printf '%s %s # %s\n' "$untrusted_address" "$untrusted_host" "$marker" \
    "$mismatch_address" "$mismatch_host" "$marker" >> /etc/hosts
start_server devserver-untrusted --bind "$untrusted_address" --san "$untrusted_host" \
    --tls-dir "$test_build/devserver-untrusted-tls"
mismatch_tls=$test_build/devserver-mismatch-tls
rm -rf "$mismatch_tls"
mkdir -p "$mismatch_tls"
cp "$trusted_tls"/{ca.pem,ca-key.pem,server.pem,server-key.pem} "$mismatch_tls/"
start_server devserver-mismatch --bind "$mismatch_address" --tls-dir "$mismatch_tls"
curl -sSf -o /dev/null -X POST -d '{}' https://localhost/o ||
    die "the service does not answer on https://localhost with the system's trust store"

export TARNWICK_TEST_DEVSERVER=443
export TARNWICK_TEST_UNTRUSTED_HOST=$untrusted_host
export TARNWICK_TEST_MISMATCH_HOST=$mismatch_host

# ---------------------------------------------------------------------------------------------
log "tests under Wine ($test_preset)"
ctest --preset "$test_preset"

# The whole wizard must stay under 1 MiB: the leg fails above it.
log "size of tarnwick.exe (32-bit)"
bash "$repo/bench/exe-size.sh" --max 1048576 "$repo/build-windows/src/tarnwick.exe"
log "done"
