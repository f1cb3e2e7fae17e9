#!/usr/bin/env bash
# Runs the port layer and dsactl against the real Linux parallel port driver
# and, through the kernel's USB stacks, against an emulated FTDI adapter: boots
# a small guest under QEMU with two emulated ISA parallel ports (0x378 and
# 0xD010), loads parport, parport_pc and ppdev there, then the USB host and
# gadget drivers (usbcore, libcomposite, usb_f_fs and the dummy_hcd controller,
# with what modules.dep says they need; configfs is mounted), and runs the
# guest check programs, each of which prints one line per check and
# "N passed, M failed". ftdi_guest_check starts ftdi_gadget, an FT232H made of
# configfs and FunctionFS, and drives it through libftdi; where the guest could
# not load the USB drivers it fails with the reason.
#
# Usage: run_guest_test.sh CHECK_PROGRAM SWEEP_CHECK DSACTL WRITE_LOG GADGET FTDI_CHECK WORK_DIR
#   CHECK_PROGRAM  the statically linked check program of the port layer
#   SWEEP_CHECK    the statically linked check program of dsactl's sweep timing
#   DSACTL         dsactl as built (dynamically linked: its shared libraries and
#                  the dynamic loader go into the guest with it)
#   WRITE_LOG      the preload library that logs the bytes written through ppdev
#   GADGET         the statically linked emulated FT232H (ftdi_gadget)
#   FTDI_CHECK     the check program of the FTDI transport (dynamically linked,
#                  with libftdi)
#   WORK_DIR       scratch directory for the guest's root file system and log
#
# Exit status: 0 when the guest reported all checks passed, 77 when QEMU cannot
# run here at all (no emulator, no kernel image, no static busybox: the test
# fails with the reason), 1 otherwise. DSA_GUEST_TIMEOUT (seconds, default 150)
# bounds the boot; DSA_GUEST_QEMU names another emulator (the tests use a fake).
# DSA_GUEST_BENCH=1 runs no checks but the FTDI benchmark of ftdi_guest_check
# (by hand, see bench/ftdi_guest_bench.sh) and prints its "bench:" lines.
set -euo pipefail

skip() {
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*"
    exit 1
}

[ $# -eq 7 ] || fail "usage: $0 CHECK_PROGRAM SWEEP_CHECK DSACTL WRITE_LOG GADGET FTDI_CHECK WORK_DIR"
check_program=$1
sweep_check=$2
dsactl=$3
write_log=$4
gadget=$5
ftdi_check=$6
work=$7

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

for tool in cpio gzip ldd; do
    command -v "$tool" >/dev/null || fail "$tool not found (Debian package $tool)"
done

for program in "$check_program" "$sweep_check" "$gadget"; do
    [ -x "$program" ] || fail "guest check program $program not built"
    if command -v readelf >/dev/null && readelf -l "$program" | grep -q INTERP; then
        fail "$program is not statically linked"
    fi
done
[ -x "$dsactl" ] || fail "dsactl $dsactl not built"
[ -f "$write_log" ] || fail "write log library $write_log not built"
[ -x "$ftdi_check" ] || fail "FTDI check program $ftdi_check not built"

# --- The guest's root file system ----------------------------------------------

root="$work/root"
rm -rf "$root"
mkdir -p "$root"/{bin,dev,proc,sys,modules,tmp}
cp "$busybox" "$root/bin/busybox"
cp "$check_program" "$root/bin/port_guest_check"
cp "$sweep_check" "$root/bin/sweep_guest_check"
cp "$gadget" "$root/bin/ftdi_gadget"

# add_dynamic FILE GUEST_PATH: copies a dynamically linked program or library
# into the guest at GUEST_PATH, with every shared library it needs and the
# dynamic loader, each at the path where it was found here (what ldd shows), so
# that the guest's loader finds them by its default paths and the file's own
# run path alike, without a cache. Symbolic links are followed: the guest holds
# each library once, under the name the loader asks for. Fails with the reason
# when a library is missing here or FILE is not dynamically linked. A sanitized
# build brings its sanitizer runtimes along this way; Qt Core needs no plugins.
# FILE's debug information stays behind (the guest has no symboliser for it),
# which keeps the guest's memory and boot time small.
add_dynamic() {
    local file=$1 guest_path=$2 listing line library
    listing=$(ldd "$file" 2>&1) || fail "ldd cannot read $file: $listing"
    grep -q "not a dynamic executable" <<<"$listing" && fail "$file is not dynamically linked"
    if grep -q "not found" <<<"$listing"; then
        fail "$file needs libraries that are not here: $(grep "not found" <<<"$listing" | tr -s ' \t' ' ')"
    fi
    mkdir -p "$root$(dirname "$guest_path")"
    if command -v strip >/dev/null; then
        strip --strip-debug -o "$root$guest_path" "$file"
    else
        cp "$file" "$root$guest_path"
    fi
    while read -r line; do
        # "libX.so.1 => /lib/.../libX.so.1 (0x...)" or "/lib64/ld-linux-x86-64.so.2 (0x...)";
        # the kernel's vDSO has no file.
        case "$line" in
        *"=> /"*) library=${line#*=> } ;;
        /*) library=$line ;;
        *) continue ;;
        esac
        library=${library%% (*}
        if [ ! -e "$root$library" ]; then
            mkdir -p "$root$(dirname "$library")"
            cp -L "$library" "$root$library"
        fi
    done <<<"$listing"
}
add_dynamic "$dsactl" /bin/dsactl
add_dynamic "$write_log" /lib/dsa/ppdev_write_log.so
add_dynamic "$ftdi_check" /bin/ftdi_guest_check

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

# add_module_tree NAME: copies module NAME and every module that modules.dep
# says it needs into the guest, and appends those not yet there to the guest's
# load list /modules/usb.order, each after what it needs. Modules built into
# the kernel are left out. A module this kernel does not have is not copied:
# the guest then finds the load list short, and its check fails with the reason.
modules_dir=/lib/modules/$kernel_version
add_module_tree() {
    local pattern line path deps dep name
    pattern=$(sed 's/[-_]/[-_]/g' <<<"$1")
    if grep -Eq "/$pattern\.ko\$" "$modules_dir/modules.builtin" 2>/dev/null; then
        return
    fi
    line=$(grep -E "(^|/)$pattern\.ko(\.(xz|zst|gz))?:" "$modules_dir/modules.dep" | head -n 1 || true)
    if [ -z "$line" ]; then
        echo "missing $1" >>"$root/modules/usb.order"
        return
    fi
    path=${line%%:*}
    deps=${line#*:}
    # modules.dep lists what a module needs with the most basic last.
    for dep in $(tr ' ' '\n' <<<"$deps" | tac); do
        add_module_file "$modules_dir/$dep"
    done
    add_module_file "$modules_dir/$path"
}
add_module_file() {
    local file=$1 name
    name=$(basename "$file")
    name=${name%%.ko*}
    grep -qx "$name" "$root/modules/usb.order" 2>/dev/null && return
    case "$file" in
    *.ko) cp "$file" "$root/modules/$name.ko" ;;
    *.xz) xz -dc "$file" >"$root/modules/$name.ko" ;;
    *.zst) zstd -qdc "$file" >"$root/modules/$name.ko" ;;
    *.gz) gzip -dc "$file" >"$root/modules/$name.ko" ;;
    esac
    echo "$name" >>"$root/modules/usb.order"
}
: >"$root/modules/usb.order"
for module in configfs usbcore libcomposite dummy_hcd usb_f_fs; do
    add_module_tree "$module"
done

cat >"$root/init" <<'EOF'
#!/bin/busybox sh
/bin/busybox --install -s /bin
export PATH=/bin
mount -t devtmpfs devtmpfs /dev
# The kernel may have found no console node before devtmpfs was mounted.
exec </dev/console >/dev/console 2>&1
mount -t proc proc /proc
mount -t sysfs sysfs /sys
# For dsactl: a UTF-8 locale for Qt, and no leak report from a sanitized build
# (Qt keeps caches alive until exit).
export LC_ALL=C.UTF-8 ASAN_OPTIONS=detect_leaks=0

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

load_usb() {
    echo "guest: loading the USB host and gadget drivers"
    while read -r module; do
        case "$module" in
        "missing "*) echo "guest: this kernel has no module ${module#missing }" ;;
        *) insmod "/modules/$module.ko" || echo "guest: insmod $module failed" ;;
        esac
    done </modules/usb.order
    mount -t configfs configfs /sys/kernel/config || echo "guest: configfs did not mount"
    # dsactl serve's clients connect over the loopback.
    ip link set lo up || echo "guest: the loopback did not come up"
}

if grep -q dsa_bench=1 /proc/cmdline; then
    load_usb
    /bin/ftdi_guest_check --bench /bin/ftdi_gadget /bin/dsactl
    echo "guest: bench exit status $?"
    poweroff -f
fi

/bin/port_guest_check
echo "guest: port_guest_check exit status $?"
/bin/sweep_guest_check /bin/dsactl /lib/dsa/ppdev_write_log.so
echo "guest: sweep_guest_check exit status $?"

load_usb
/bin/ftdi_guest_check /bin/ftdi_gadget /bin/dsactl
echo "guest: ftdi_guest_check exit status $?"
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
limit=${DSA_GUEST_TIMEOUT:-150}
bench=""
[ "${DSA_GUEST_BENCH:-0}" = 1 ] && bench=" dsa_bench=1"
qemu=${DSA_GUEST_QEMU:-qemu-system-x86_64}

log="$work/console.log"
errors="$work/qemu.stderr"
echo "booting $kernel with $(basename "$check_program"), $(basename "$sweep_check")," \
    "$(basename "$ftdi_check"), $(basename "$gadget") and dsactl" \
    "($(du -h "$initramfs" | cut -f1) initramfs, accelerator $accel, at most $limit s)"
status=0
set +e
timeout --kill-after=5 "$limit" "$qemu" \
    -nodefaults -no-user-config -display none -no-reboot \
    -accel "$accel" -m 512M \
    -kernel "$kernel" -initrd "$initramfs" \
    -append "console=ttyS0 quiet panic=-1$bench" \
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
if [ -n "$bench" ]; then
    grep -q "^guest: bench exit status 0\$" "$log" || diagnose "the benchmark did not run through"
    echo "--- benchmark figures (dummy_hcd under software emulation, not real USB)"
    grep "^bench: " "$log"
    exit 0
fi
for program in port_guest_check sweep_guest_check ftdi_guest_check; do
    grep -q "^guest: $program exit status 0\$" "$log" ||
        diagnose "the guest check program $program did not exit with status 0"
done
[ "$(grep -Ec '^[0-9]+ passed, 0 failed$' "$log")" -eq 3 ] ||
    diagnose "the guest did not report all checks passed"
echo "guest checks passed"
