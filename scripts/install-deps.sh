#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Idempotent: quiet and quick when everything is already present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-webengine-dev qt6-image-formats-plugins
    libgl1-mesa-dev libxkbcommon-dev
    libcurl4-openssl-dev libjsoncpp-dev libcpp-httplib-dev libssl-dev zlib1g-dev libsqlite3-dev
    libgtest-dev libgmock-dev
    at-spi2-core python3-pyatspi
    ca-certificates openssl xvfb fonts-nanum clang-format
    libxcb1-dev tzdata
    python3 openbox xdotool x11-utils imagemagick trayer libx11-6 libxfixes3 dbus-daemon weston xwayland
    clang libclang-rt-14-dev desktop-file-utils appstream universal-ctags lintian
    libsimdjson-dev
    nghttp2-proxy
    qt6-l10n-tools qt6-tools-dev qt6-translations-l10n xclip
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
