#!/usr/bin/env bash
# Where the bytes of a Windows program go: its size once stripped, and the object files and
# library members that take the most, read from the linker map the Windows build writes beside
# every program (NAME.map). Builds nothing.
#
#     bash bench/exe-size.sh [--top N] [--why TEXT]... [--max BYTES] [EXE [MAP]]
#
# EXE defaults to build-windows/src/tarnwick.exe, MAP to EXE's name with .map for .exe.
# --top N lists N contributors (10). --why TEXT shows which reference made the linker take the
# library members whose names hold TEXT (repeatable): --why locale --why fs_ops.
# --max BYTES: after the listing, exit with 2 when the stripped program is larger.
set -euo pipefail

die() {
    printf 'exe-size: %s\n' "$*" >&2
    exit 1
}

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
helper=$repo/bench/map-contributors.py
top=10
why=()
max=""
positional=()
while [[ $# -gt 0 ]]; do
    case $1 in
        --top)
            [[ $# -ge 2 && $2 =~ ^[1-9][0-9]*$ ]] || die "--top takes a positive number"
            top=$2
            shift 2
            ;;
        --max)
            [[ $# -ge 2 && $2 =~ ^[1-9][0-9]*$ ]] || die "--max takes a positive number of bytes"
            max=$2
            shift 2
            ;;
        --why)
            [[ $# -ge 2 && -n $2 ]] || die "--why takes a text"
            why+=(--why "$2")
            shift 2
            ;;
        -h | --help)
            sed -n '2,/^[^#]/s/^# \{0,1\}//p' "${BASH_SOURCE[0]}"
            exit 0
            ;;
        -*) die "unknown option $1 (see --help)" ;;
        *)
            positional+=("$1")
            shift
            ;;
    esac
done
[[ ${#positional[@]} -le 2 ]] || die "too many arguments (see --help)"

exe=${positional[0]:-$repo/build-windows/src/tarnwick.exe}
map=${positional[1]:-${exe%.exe}.map}
[[ -f $exe ]] || die "no program $exe: build it first (cmake --build --preset windows)"
[[ -f $map ]] ||
    die "no linker map $map: the Windows build writes NAME.map beside each program since it" \
        "was configured with cmake/Windows.cmake's map option; configure the build again"
# The linker writes the map while it writes the program; a map much older is another link's.
if (($(stat -c %Y "$exe") - $(stat -c %Y "$map") > 60)); then
    die "$map is older than $exe: it belongs to an earlier link"
fi
command -v python3 > /dev/null || die "python3 is needed to read the map"

# The strip program of the program's own architecture, from the machine field of its PE header.
size=$(stat -c %s "$exe")
header_offset=$(od -An -t u4 -j 60 -N 4 "$exe" 2> /dev/null | tr -d ' ' || true)
if [[ ! $header_offset =~ ^[0-9]+$ ]] || ((header_offset + 6 > size)); then
    die "$exe is not a Windows program (no PE header)"
fi
signature=$(od -An -c -j "$header_offset" -N 4 "$exe" | tr -d ' ')
[[ $signature == 'PE\0\0' ]] || die "$exe is not a Windows program (no PE header)"
machine=$(od -An -t x2 -j $((header_offset + 4)) -N 2 "$exe" | tr -d ' ')
case $machine in
    014c) strip_tool=${STRIP:-i686-w64-mingw32-strip} ;;
    8664) strip_tool=${STRIP:-x86_64-w64-mingw32-strip} ;;
    *) die "$exe is for machine 0x$machine, neither i686 nor x86-64" ;;
esac
command -v "$strip_tool" > /dev/null || die "no $strip_tool: install binutils-mingw-w64"

stripped=$(mktemp)
trap 'rm -f "$stripped"' EXIT
"$strip_tool" -o "$stripped" "$exe" || die "$strip_tool failed on $exe"

stripped_size=$(stat -c %s "$stripped")
printf '%s\n' "$exe"
printf 'stripped size: %s bytes (%s as built)\n' "$stripped_size" "$size"
echo
python3 "$helper" "$map" --top "$top" "${why[@]}"
if grep -q '\.ltrans[0-9]*\.ltrans\.o' "$map"; then
    echo
    echo "lto:ltransN is the link-time optimised code of the sources; to see it per source file,"
    echo "configure a build with -DTARNWICK_WINDOWS_LTO=OFF and read that build's map."
fi
if [[ -n $max ]] && ((stripped_size > max)); then
    printf 'exe-size: %s is %s bytes stripped, above the limit of %s\n' \
        "$(basename "$exe")" "$stripped_size" "$max" >&2
    exit 2
fi
