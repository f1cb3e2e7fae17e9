#!/usr/bin/env bash
# The guest runner against a guest that prints nothing, as one under a broken
# KVM does: it must use software emulation, end within its bound and say that
# the guest was silent, with what QEMU printed, instead of just timing out.
# Usage: silent_guest_test.sh RUNNER CHECK_PROGRAM SWEEP_CHECK DSACTL WRITE_LOG GADGET FTDI_CHECK WORK_DIR
set -uo pipefail
runner=$1 work=$8
programs=("${@:2:6}")
rm -rf "$work" && mkdir -p "$work"
cat >"$work/fake-qemu" <<'FAKE'
#!/bin/sh
echo "$@" >"$(dirname "$0")/qemu.args"
echo "fake emulator: accelerator accepted, guest silent" >&2
exec sleep 60
FAKE
chmod 755 "$work/fake-qemu"
start=$(date +%s)
out=$(DSA_GUEST_QEMU="$work/fake-qemu" DSA_GUEST_TIMEOUT=2 bash "$runner" "${programs[@]}" "$work/guest" 2>&1)
status=$?
took=$(($(date +%s) - start))
failed=0
expect() { if eval "$2"; then echo "PASS: $1"; else echo "FAIL: $1"; failed=$((failed + 1)); fi; }
expect "the runner fails (status $status)" '[ "$status" -eq 1 ]'
expect "it ends within its bound ($took s)" '[ "$took" -lt 30 ]'
expect "it boots with software emulation" 'grep -q -- "-accel tcg" "$work/qemu.args"'
expect "it says the guest did not finish" 'grep -q "did not finish within 2 s" <<<"$out"'
expect "it says the guest printed nothing" 'grep -q "printed nothing" <<<"$out"'
expect "it shows what QEMU printed" 'grep -q "guest silent" <<<"$out"'
[ "$failed" -eq 0 ] || { echo "--- the runner's output"; echo "$out"; }
echo "$((6 - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
