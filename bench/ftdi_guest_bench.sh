#!/usr/bin/env bash
# Figures of the FTDI transport in the test guest, run by hand: Loads per
# second and bulk OUT transfers per Load through the emulated FT232H (the port
# layer's SendVerified and dsactl sweep --adapter), and a 1 ms sweep's step
# start error as dsactl reports it, beside dsactl --simulate. The adapter is
# dummy_hcd under QEMU's software emulation, so these say how the transport
# behaves, not how fast real USB is.
#
# Usage: bash bench/ftdi_guest_bench.sh [BUILD_DIR]   (default build-test)
# BUILD_DIR must hold the guest test's programs (cmake --build BUILD_DIR
# --target dsactl port_guest_check sweep_guest_check ppdev_write_log_shim
# ftdi_gadget ftdi_guest_check).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build-test}" && pwd)
guest=$build/tests/guest
DSA_GUEST_BENCH=1 DSA_GUEST_TIMEOUT=${DSA_GUEST_TIMEOUT:-300} \
    bash "$here/tests/guest/run_guest_test.sh" \
    "$guest/port_guest_check" "$guest/sweep_guest_check" "$build/src/cli/dsactl" \
    "$(find "$build/tests" -name 'libppdev_write_log_shim.so' | head -n 1)" \
    "$guest/ftdi_gadget" "$guest/ftdi_guest_check" "$build/ftdi-bench"
