#!/usr/bin/env bash
# Installs only what building and running need (see setup.sh), builds the
# program and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDSA_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build" -j2 --target digital-step-attenuator
# The port address file lies in the working directory, so keep it beside the project.
cd "$root"
exec "$root/build/src/digital-step-attenuator" "$@"
