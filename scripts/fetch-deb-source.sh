#!/usr/bin/env bash
# Unpacks the Debian source package PACKAGE under DEST/PACKAGE, for libraries the Windows
# leg must build itself because no mingw-w64 package carries them. Source entries are derived
# from the machine's own binary entries, so the sources match the packages it installs.
set -euo pipefail

if [[ $# -ne 2 ]]; then
    echo "usage: $0 PACKAGE DEST" >&2
    exit 2
fi
package=$1
dest=$2
target="$dest/$package"

if compgen -G "$target/$package-*/" > /dev/null; then
    exit 0
fi

source_list=/etc/apt/sources.list.d/tarnwick-deb-src.sources

# Every "deb" stanza of the deb822 files becomes a "deb-src" stanza with the same fields.
derive_deb822() {
    awk '
        function flush() {
            if (stanza != "" && has_deb) printf "%s\n", stanza
            stanza = ""; has_deb = 0
        }
        /^[[:space:]]*$/ { flush(); next }
        /^#/ { next }
        /^Types:/ {
            if ($0 ~ /(^|[[:space:]])deb([[:space:]]|$)/) has_deb = 1
            stanza = stanza "Types: deb-src\n"
            next
        }
        { stanza = stanza $0 "\n" }
        END { flush() }
    ' "$@"
}

# One-line entries "deb [options] URI SUITE COMPONENTS..." become deb822 stanzas.
derive_one_line() {
    awk '
        $1 == "deb" {
            i = 2; options = ""
            if ($2 ~ /^\[/) {
                while (i <= NF) { options = options " " $i; if ($i ~ /\]$/) { i++; break } i++ }
            }
            uri = $i; suite = $(i + 1); components = ""
            for (j = i + 2; j <= NF; j++) components = components " " $j
            printf "Types: deb-src\nURIs: %s\nSuites: %s\n", uri, suite
            if (components != "") printf "Components:%s\n", components
            if (match(options, /signed-by=[^] ]+/)) {
                printf "Signed-By: %s\n", substr(options, RSTART + 10, RLENGTH - 10)
            }
            printf "\n"
        }
    ' "$@"
}

if ! apt-cache showsrc "$package" 2>/dev/null | grep -q '^Package:'; then
    tmp=$(mktemp)
    shopt -s nullglob
    deb822_files=(/etc/apt/sources.list.d/*.sources)
    one_line_files=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list)
    shopt -u nullglob
    for file in "${deb822_files[@]}"; do
        [[ $file == "$source_list" ]] && continue
        derive_deb822 "$file" >> "$tmp"
    done
    for file in "${one_line_files[@]}"; do
        [[ -f $file ]] && derive_one_line "$file" >> "$tmp"
    done
    if [[ ! -s $tmp ]]; then
        echo "$0: no deb entries found to derive source entries from" >&2
        rm -f "$tmp"
        exit 1
    fi
    install -m 0644 "$tmp" "$source_list"
    rm -f "$tmp"
    apt-get -o DPkg::Lock::Timeout=600 update -qq
fi

mkdir -p "$target"
work=$(mktemp -d "$dest/.$package.XXXXXX")
# apt fetches as its own unprivileged user where there is one; it must be able to write here.
if id _apt > /dev/null 2>&1; then
    chown _apt "$work"
fi
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq "$package" > /dev/null)
for unpacked in "$work/$package"-*/; do
    mv "$unpacked" "$target/"
done
compgen -G "$target/$package-*/" > /dev/null
