#!/usr/bin/env bash
# Installs what the build, the program and the tests need on Debian 12, but
# only the packages that are missing. Works as root and, through sudo, as a
# normal user.
set -euo pipefail

packages=(
    # compiler and build
    g++ cmake make pkg-config
    # Qt 6 Widgets and Qt Test
    qt6-base-dev qt6-base-dev-tools libgl-dev
    # fonts metric-compatible with the window's designed faces
    fonts-liberation fontconfig
    # headless display for the smoke test and the screenshot
    xvfb xauth x11-utils imagemagick
    # a real Linux kernel with parallel ports for the port layer's guest test
    qemu-system-x86 linux-image-amd64 busybox-static cpio gzip
)

# Building and checking the Debian package (scripts/package.sh, the package
# test): CPack's dependency scan, lintian, the desktop entry, metainfo and unit
# checkers, man and col, gio to start the desktop entry, ccache for the second build.
packages+=(
    dpkg-dev file lintian desktop-file-utils appstream man-db
    bsdextrautils libglib2.0-bin systemd ccache
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "These Debian packages are missing and neither root nor sudo is available:" >&2
    echo "  ${missing[*]}" >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
