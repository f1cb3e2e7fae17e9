#!/usr/bin/env bash
# Installs what is missing on Debian 12, and nothing else.
#   setup.sh                what building and running the program needs
#   setup.sh --for-display  that, plus a virtual X display and image tools
#                           (the screenshot script)
#   setup.sh --for-package  that, plus the tools that build and check the
#                           Debian package (scripts/package.sh)
#   setup.sh --for-tests    that, plus what the test suite needs: the virtual
#                           display, the packaging tools, PyVISA and
#                           PyMeasure for the tests of the server and its
#                           Python driver, for the port layer's guest test
#                           the QEMU emulator, a Linux kernel image and busybox,
#                           and clang with libFuzzer for the fuzz targets
# Works as root and, through sudo, as a normal user.
set -euo pipefail

for_display=false
for_package=false
for_tests=false
case "${1:-}" in
    "") ;;
    --for-display) for_display=true ;;
    --for-package) for_package=true ;;
    --for-tests) for_display=true; for_package=true; for_tests=true ;;
    *) echo "usage: $0 [--for-display | --for-package | --for-tests]" >&2; exit 2 ;;
esac

packages=(
    # compiler and build
    g++ cmake make pkg-config
    # Qt 6 Widgets
    qt6-base-dev qt6-base-dev-tools libgl-dev
    # FTDI USB adapters in bit-bang mode
    libftdi1-dev
    # fonts metric-compatible with the window's designed faces
    fonts-liberation fontconfig
)

display_packages=(
    # headless display for the smoke test and the screenshot
    xvfb xauth x11-utils imagemagick
    # clicks through the Test board screenshot
    xdotool
)

# Building and checking the Debian package (scripts/package.sh, the package
# test): CPack's dependency scan, lintian, the desktop entry, metainfo and unit
# checkers, man and col, gio to start the desktop entry, ccache for the second build.
package_packages=(
    dpkg-dev file lintian desktop-file-utils appstream man-db
    bsdextrautils libglib2.0-bin systemd ccache
)

test_packages=(
    # real SCPI clients for the instrument server's tests, and PyMeasure for
    # its Python driver
    python3 python3-pyvisa python3-pyvisa-py lxi-tools python3-pymeasure
    # a real Linux kernel with parallel ports for the port layer's guest test
    qemu-system-x86 linux-image-amd64 busybox-static cpio gzip
    # clang with libFuzzer and its sanitizer runtimes for tests/fuzz/run.sh
    clang libclang-rt-14-dev
)

if $for_display; then
    packages+=("${display_packages[@]}")
fi
if $for_package; then
    packages+=("${package_packages[@]}")
fi
if $for_tests; then
    packages+=("${test_packages[@]}")
fi

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
