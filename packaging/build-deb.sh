#!/usr/bin/env bash
# Builds the Debian package in BUILD_DIR (default build-package) from the
# sources beside this script: a Release build without sanitizers, with Debian's
# hardening flags, of the two programs only, then CPack. Prints the path of the
# .deb on its last line. Used by scripts/package.sh and by the package test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-package}

launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$root")}
fi
# The flags a Debian package build uses, with every hardening feature (from the
# source folder, which their file prefix map names).
cd "$root"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

# A build folder of its own: the test build's sanitizers stay out of the package.
cmake -S "$root" -B "$build" "${launcher[@]}" \
    -DCMAKE_BUILD_TYPE=Release -DDSA_SANITIZE=OFF -DDSA_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null

# Only the two programs.
cmake --build "$build" -j2 --target digital-step-attenuator dsactl

rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/*.deb)
echo "$deb"
