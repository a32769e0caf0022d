#!/usr/bin/env bash
# Installs the Debian packages the native build, its tests and the demo need.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang ccache tzdata
    nlohmann-json3-dev libcurl4-openssl-dev libssl-dev libboost-dev libtinyxml2-dev libzip-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev libicu-dev
    curl nginx ca-certificates
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
