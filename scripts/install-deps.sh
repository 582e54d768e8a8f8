#!/usr/bin/env bash
# Installs the Debian packages the build needs, only when something is missing.
set -euo pipefail

packages=(cmake make g++ clang clang-format libclang-rt-14-dev nlohmann-json3-dev libcli11-dev libsimdjson-dev googletest
          libgtest-dev libgmock-dev libbenchmark-dev libxlsxwriter-dev libifcplusplus-dev libzip-dev libmimalloc-dev libboost-dev pkgconf python3 chromium fonts-dejavu-core
          poppler-utils)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [[ $(id -u) -ne 0 ]] && sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi
