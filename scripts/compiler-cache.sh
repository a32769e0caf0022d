# Sourced by the build scripts: every compiler call goes through ccache, whose cache lives
# outside the clone, so a second run on the same machine compiles only what changed. Nothing is
# installed here (install-deps.sh does that): a missing package still fails the run.
#
# Sets `compiler_cache`, the CMake options that put ccache in front of the compilers (empty
# when TARNWICK_NO_CCACHE is set).

export CCACHE_DIR=${TARNWICK_CCACHE_DIR:-/var/cache/tarnwick-ccache}
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-10G}
# A clone in another folder still finds what an earlier clone compiled: paths below the clone
# are hashed relative to it, and the working folder is not hashed (debug information may then
# name the earlier clone's folder).
CCACHE_BASEDIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export CCACHE_BASEDIR
export CCACHE_NOHASHDIR=1
compiler_cache=()
if [[ -z ${TARNWICK_NO_CCACHE:-} ]]; then
    mkdir -p "$CCACHE_DIR"
    compiler_cache=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
