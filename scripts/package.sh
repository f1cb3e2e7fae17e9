#!/usr/bin/env bash
# Builds the Debian package from a clean checkout: installs what is missing,
# builds the two programs in build-package (Release, no sanitizers), makes the
# .deb with CPack and runs lintian on it. Prints where the package is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" --for-package
deb=$(bash "$root/packaging/build-deb.sh" "$root/build-package" | tail -n 1)
echo "--- lintian"
lintian --fail-on error "$deb" || { echo "lintian found errors in $deb" >&2; exit 1; }
echo "---"
echo "Built $deb"
echo "Install it with: sudo apt install $deb"
