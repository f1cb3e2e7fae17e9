#!/usr/bin/env bash
# Runs the port layer against the real Linux parallel port driver: boots a small
# guest under QEMU with two emulated ISA parallel ports (0x378 and 0xD010), loads
# parport, parport_pc and ppdev there and runs the guest check program.
#
# Usage: run_guest_test.sh CHECK_PROGRAM WORK_DIR
#   CHECK_PROGRAM  the statically linked guest check program
#   WORK_DIR       scratch directory for the guest's root file system and log
#
# Exit status: 0 when the guest reported all checks passed, 77 when QEMU cannot
# run here at all (no emulator, no kernel image, no static busybox: the test
# fails with the reason), 1 otherwise. DSA_GUEST_TIMEOUT (seconds, default 120)
# bounds the boot; DSA_GUEST_QEMU names another emulator (the tests use a fake).
set -euo pipefail

skip() {
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*"
    exit 1
}

[ $# -eq 2 ] || fail "usage: $0 CHECK_PROGRAM WORK_DIR"
check_program=$1
work=$2

# --- What the guest needs from the host ---------------------------------------

command -v "${DSA_GUEST_QEMU:-qemu-system-x86_64}" >/dev/null ||
    skip "qemu-system-x86_64 not found (Debian package qemu-system-x86)"

kernel=$(ls -1 /boot/vmlinuz-* 2>/dev/null | sort -V | tail -n 1 || true)
[ -n "$kernel" ] || skip "no kernel image /boot/vmlinuz-* (Debian package linux-image-amd64)"
[ -r "$kernel" ] || skip "kernel image $kernel is not readable by this user"
kernel_version=${kernel#/boot/vmlinuz-}

busybox=/bin/busybox
[ -x "$busybox" ] || skip "$busybox not found (Debian package busybox-static)"
if command -v readelf >/dev/null && readelf -l "$busybox" | grep -q INTERP; then
    skip "$busybox is dynamically linked; the guest needs busybox-static"
fi

for tool in cpio gzip; do
    command -v "$tool" >/dev/null || fail "$tool not found (Debian package $tool)"
done

[ -x "$check_program" ] || fail "guest check program $check_program not built"
if command -v readelf >/dev/null && readelf -l "$check_program" | grep -q INTERP; then
    fail "$check_program is not statically linked"
fi

# --- The guest's root file system ----------------------------------------------

root="$work/root"
rm -rf "$root"
mkdir -p "$root"/{bin,dev,proc,sys,modules}
cp "$busybox" "$root/bin/busybox"
cp "$check_program" "$root/bin/port_guest_check"

# Copies one kernel module into the guest, uncompressed (busybox insmod takes
# plain .ko files only).
add_module() {
    local name=$2 found=""
    local dir="/lib/modules/$kernel_version/kernel/$1"
    for candidate in "$dir/$name.ko" "$dir/$name.ko.xz" "$dir/$name.ko.zst" "$dir/$name.ko.gz"; do
        if [ -f "$candidate" ]; then
            found=$candidate
            break
        fi
    done
    [ -n "$found" ] || fail "module $name not found under $dir for kernel $kernel_version"
    case "$found" in
    *.ko) cp "$found" "$root/modules/$name.ko" ;;
    *.xz) xz -dc "$found" >"$root/modules/$name.ko" ;;
    *.zst) zstd -qdc "$found" >"$root/modules/$name.ko" ;;
    *.gz) gzip -dc "$found" >"$root/modules/$name.ko" ;;
    esac
}
add_module drivers/parport parport
add_module drivers/parport parport_pc
add_module drivers/char ppdev

cat >"$root/init" <<'EOF'
#!/bin/busybox sh
/bin/busybox --install -s /bin
export PATH=/bin
mount -t devtmpfs devtmpfs /dev
# The kernel may have found no console node before devtmpfs was mounted.
exec </dev/console >/dev/console 2>&1
mount -t proc proc /proc
mount -t sysfs sysfs /sys

echo "guest: loading the parallel port drivers"
insmod /modules/parport.ko
insmod /modules/parport_pc.ko io=0x378,0xd010 irq=none,none
insmod /modules/ppdev.ko

for dir in /proc/sys/dev/parport/parport*; do
    [ -d "$dir" ] || continue
    n=${dir##*/parport}
    echo "guest: parport$n base-addr $(cat "$dir/base-addr")"
    [ -c "/dev/parport$n" ] || mknod "/dev/parport$n" c 99 "$n"
done

/bin/port_guest_check
echo "guest: port_guest_check exit status $?"
poweroff -f
EOF
chmod 755 "$root/init"

initramfs="$work/initramfs.cpio.gz"
(cd "$root" && find . | cpio -o -H newc -R 0:0 --quiet) | gzip -1 >"$initramfs"

# --- Boot -----------------------------------------------------------------------

# Software emulation always: a /dev/kvm that is offered under nested
# virtualisation may accept the guest and then run nothing, and the guest
# needs only seconds under TCG. DSA_GUEST_ACCEL=kvm asks for KVM by hand.
accel=${DSA_GUEST_ACCEL:-tcg}
limit=${DSA_GUEST_TIMEOUT:-120}
qemu=${DSA_GUEST_QEMU:-qemu-system-x86_64}

log="$work/console.log"
errors="$work/qemu.stderr"
echo "booting $kernel with $(basename "$check_program") (accelerator $accel, at most $limit s)"
status=0
set +e
timeout --kill-after=5 "$limit" "$qemu" \
    -nodefaults -no-user-config -display none -no-reboot \
    -accel "$accel" -m 256M \
    -kernel "$kernel" -initrd "$initramfs" \
    -append "console=ttyS0 quiet panic=-1" \
    -serial stdio \
    -chardev null,id=lpt0 -device isa-parallel,chardev=lpt0,iobase=0x378,irq=7 \
    -chardev null,id=lpt1 -device isa-parallel,chardev=lpt1,iobase=0xd010,irq=5 \
    </dev/null 2>"$errors" | tr -d '\r' | tee "$log"
status=${PIPESTATUS[0]}
set -e

# diagnose REASON: says why the guest failed, with what it and QEMU printed.
diagnose() {
    echo "FAIL: $1 (accelerator $accel)"
    if [ -s "$log" ]; then
        echo "--- the guest's console (last 40 lines)"
        tail -n 40 "$log"
    else
        echo "--- the guest printed nothing on its console"
    fi
    if [ -s "$errors" ]; then
        echo "--- qemu's own output"
        cat "$errors"
    fi
    exit 1
}
[ "$status" -ne 124 ] && [ "$status" -ne 137 ] || diagnose "the guest did not finish within $limit s"
[ "$status" -eq 0 ] || diagnose "$qemu ended with status $status"
grep -Eq '^[0-9]+ passed, 0 failed$' "$log" ||
    diagnose "the guest did not report all checks passed"
grep -q '^guest: port_guest_check exit status 0$' "$log" ||
    diagnose "the guest check program did not exit with status 0"
echo "guest checks passed"
