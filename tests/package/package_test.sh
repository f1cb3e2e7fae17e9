#!/usr/bin/env bash
# The Debian package as an administrator meets it: builds it (a Release build
# of its own, without sanitizers), lists its files, checks the desktop entry,
# the metainfo, the manual pages, the systemd unit and lintian, installs it with
# dpkg into a throw-away root, runs both programs from the installed files
# (the window on a virtual display, also started through its desktop entry)
# and the Python driver against the installed server, and removes it again
# with dpkg -r, which must leave no file behind.
# Every check runs; the test fails if any failed.
set -uo pipefail
src=${1:?usage: package_test.sh SOURCE_DIR WORK_DIR}
work=${2:?usage: package_test.sh SOURCE_DIR WORK_DIR}
source "$src/scripts/xvfb-lib.sh"
package=digital-step-attenuator
title='Digital Step Attenuator    (Ver.  A8)'

passed=0 failed=0
pass() { echo "ok: $1"; passed=$((passed + 1)); }
fail() { echo "FAIL: $1"; failed=$((failed + 1)); }
# check NAME COMMAND...: one check; the command's output is shown when it fails.
check() {
    local name=$1 out
    shift
    if out=$("$@" 2>&1); then pass "$name"; else fail "$name"; printf '%s\n' "$out" | sed 's/^/    /'; fi
}
# window_check NAME TITLE: one check that the window program started as APP_PID
# shows a window with that title; its output is shown when it fails.
window_check() {
    if wait_for_window "$2" "$APP_PID" >/dev/null; then pass "$1"; return; fi
    fail "$1"
    if kill -0 "$APP_PID" 2>/dev/null; then
        echo "    the program is still running after 30 seconds"
    else
        # Only the first wait learns the status.
        [ -n "${app_status:-}" ] || { wait "$APP_PID"; app_status=$?; }
        echo "    the program ended with status $app_status$([ "$app_status" -eq 134 ] && echo ' (aborted)')"
    fi
    echo "    --- its output"
    sed 's/^/    /' "$display_dir/app.log"
}
finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
}

mkdir -p "$work"
display_dir=$(mktemp -d)
desktop_pid=
cleanup() {
    [ -n "$desktop_pid" ] && kill "$desktop_pid" 2>/dev/null
    stop_display "$display_dir"
}
trap cleanup EXIT

# --- Build -------------------------------------------------------------------
if ! bash "$src/packaging/build-deb.sh" "$work/build" >"$work/build.log" 2>&1; then
    fail "the package builds"
    tail -n 40 "$work/build.log"
    finish
fi
deb=$(tail -n 1 "$work/build.log")
pass "the package builds: $(basename "$deb")"

version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg --print-architecture)
check "file name is ${package}_<version>_<arch>.deb" \
    test "$(basename "$deb")" = "${package}_${version}_${arch}.deb"
check "section electronics, a maintainer, dependencies from the binaries" bash -c '
    f() { dpkg-deb -f "$1" "$2"; }
    [ "$(f "$1" Section)" = electronics ] && [ -n "$(f "$1" Maintainer)" ] &&
        f "$1" Depends | grep -q "libqt6core6 (>= " && f "$1" Depends | grep -q "libc6 (>= "' _ "$deb"
check "a synopsis and a one-paragraph description" bash -c '
    d=$(dpkg-deb -f "$1" Description)
    [ "$(sed -n 1p <<<"$d" | wc -w)" -gt 3 ] && [ "$(wc -l <<<"$d")" -gt 2 ] && ! grep -qx " \." <<<"$d"' _ "$deb"

echo "--- files in $(basename "$deb")"
dpkg-deb -c "$deb" | tee "$work/contents.txt"
echo "---"
paths=$(awk '{ print $6 }' "$work/contents.txt" | sed 's|^\./|/|')
expected=(
    /usr/bin/digital-step-attenuator
    /usr/bin/dsactl
    /usr/share/man/man1/digital-step-attenuator.1.gz
    /usr/share/man/man1/dsactl.1.gz
    /usr/share/doc/$package/copyright
    /usr/share/doc/$package/changelog.Debian.gz
    /usr/lib/modules-load.d/$package.conf
    /usr/lib/systemd/system/dsactl-serve.service
    /usr/lib/udev/rules.d/70-digital-step-attenuator-ftdi.rules
)
for size in 16 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/$package.png")
done
for module in "$src"/python/dsa_attenuator/*.py; do
    expected+=("/usr/lib/python3/dist-packages/dsa_attenuator/$(basename "$module")")
done
for path in "${expected[@]}"; do
    check "installs $path" grep -qx "$path" <<<"$paths"
done
check "one desktop entry and one metainfo file" bash -c '
    [ "$(grep -c "^/usr/share/applications/.*\.desktop$" <<<"$1")" -eq 1 ] &&
    [ "$(grep -c "^/usr/share/metainfo/.*\.metainfo\.xml$" <<<"$1")" -eq 1 ]' _ "$paths"
check "every entry is owned by root, folders are 0755" bash -c '
    ! awk "\$2 != \"root/root\" || (\$1 ~ /^d/ && \$1 != \"drwxr-xr-x\")" "$1" | grep .' _ "$work/contents.txt"
check "no byte code: Python makes its own" bash -c '! grep -E "__pycache__|\.pyc$" <<<"$1"' _ "$paths"
check "recommends what the Python driver needs (python3-pymeasure, python3-pyvisa-py)" bash -c '
    r=$(dpkg-deb -f "$1" Recommends | tr "," "\n" | sed "s/ //g")
    grep -qx python3-pymeasure <<<"$r" && grep -qx python3-pyvisa-py <<<"$r"' _ "$deb"
check "one maintainer script, the prerm, executable" bash -c '
    [ "$(dpkg-deb --ctrl-tarfile "$1" | tar -t | grep -v "^\./$" | sort | tr "\n" " ")" = \
        "./control ./md5sums ./prerm " ] &&
    dpkg-deb --ctrl-tarfile "$1" | tar -tv ./prerm | grep -q "^-rwxr-xr-x"' _ "$deb"
check "nothing in /etc: the server's unit is not enabled" bash -c '! grep -q "^/etc" <<<"$1"' _ "$paths"

# --- The files, as extracted ---------------------------------------------------
tree="$work/extracted"
rm -rf "$tree"
dpkg-deb -x "$deb" "$tree"
desktop=$(ls "$tree"/usr/share/applications/*.desktop 2>/dev/null | head -n1)
metainfo=$(ls "$tree"/usr/share/metainfo/*.metainfo.xml 2>/dev/null | head -n1)

for program in "$tree"/usr/bin/*; do
    name=$(basename "$program")
    check "$name is stripped" bash -c 'file -b "$1" | grep -q ", stripped"' _ "$program"
    check "$name is built without sanitizers" bash -c '! readelf -d "$1" | grep -E "lib(a|ub|t)san"' _ "$program"
done

check "desktop entry passes desktop-file-validate" desktop-file-validate "$desktop"
check "desktop entry: categories, icon, start in the home folder" bash -c '
    grep -qx "Categories=Science;Electronics;" "$1" &&
    grep -qx "Icon='"$package"'" "$1" &&
    grep -qx "Exec=sh -c \"cd && exec digital-step-attenuator\"" "$1"' _ "$desktop"
check "metainfo passes appstreamcli validate --no-net" appstreamcli validate --no-net "$metainfo"
check "metainfo launches the installed desktop entry" bash -c '
    id=$(sed -n "s|.*<id>\(.*\)</id>.*|\1|p" "$1")
    [ "$(basename "$2")" = "$id.desktop" ] &&
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$1"' _ "$metainfo" "$desktop"
for size in 16 32 48 64 128 256; do
    check "icon ${size}x${size} is a ${size} x ${size} PNG" bash -c \
        'file -b "$1" | grep -q "PNG image data, $2 x $2"' _ \
        "$tree/usr/share/icons/hicolor/${size}x${size}/apps/$package.png" "$size"
done

for page in "$tree"/usr/share/man/man1/*.1.gz; do
    name=$(basename "$page")
    # gzip -n: no file name (flag bit 3) and no time stamp (bytes 4 to 7).
    check "$name is gzipped without name and time stamp" bash -c '
        read -r -a b < <(od -An -tu1 -N8 "$1")
        [ "${b[0]}" = 31 ] && [ "${b[1]}" = 139 ] && [ $((b[3] & 8)) = 0 ] &&
        [ "${b[4]}${b[5]}${b[6]}${b[7]}" = 0000 ]' _ "$page"
    check "$name formats without warnings" bash -c '
        out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$1" 2>&1 >/dev/null)
        [ -z "$out" ] || { echo "$out"; false; }' _ "$page"
done
dsactl_page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$tree/usr/share/man/man1/dsactl.1.gz" 2>/dev/null | col -b)
for word in models ports set sweep hop serve --version --simulate --json --model --db \
    --steps --word --le --port --nearest --dry-run --from --to --step --dwell --repeat \
    --forever --on-stop --list --listen --power-up; do
    check "man dsactl documents $word" grep -qe "^ *$word\b\|[[(| ]$word\b" <<<"$dsactl_page"
done
exit_section=$(sed -n '/^EXIT STATUS/,/^[A-Z]/p' <<<"$dsactl_page")
for status in 0 64 65 69 74 75 77; do
    check "man dsactl documents exit status $status" grep -qE "^ +$status( |$)" <<<"$exit_section"
done
check "the page of the window documents --simulate and IOaddress.001" bash -c '
    p=$(LC_ALL=C.UTF-8 man -l "$1" 2>/dev/null | col -b)
    grep -q -- "--simulate" <<<"$p" && grep -q "IOaddress.001" <<<"$p"' _ \
    "$tree/usr/share/man/man1/digital-step-attenuator.1.gz"

check "the udev rule gives the user at the seat the FTDI adapters, and nothing else" bash -c '
    rules=$(grep -v "^#" "$1" | grep -v "^$")
    [ "$(wc -l <<<"$rules")" -eq 1 ] && grep -q "ATTR{idVendor}==\"0403\"" <<<"$rules" &&
        grep -q "TAG+=\"uaccess\"" <<<"$rules" && ! grep -q "MODE=" <<<"$rules"' _ \
    "$tree/usr/lib/udev/rules.d/70-digital-step-attenuator-ftdi.rules"
check "the package depends on the libftdi1 runtime" \
    bash -c 'dpkg-deb -f "$1" Depends | grep -q "libftdi1-2"' _ "$deb"
check "modules-load.d loads parport_pc and ppdev" bash -c '
    [ "$(grep -v "^#" "$1" | grep -v "^$" | tr "\n" " ")" = "parport_pc ppdev " ]' _ \
    "$tree/usr/lib/modules-load.d/$package.conf"
unit="$tree/usr/lib/systemd/system/dsactl-serve.service"
check "the unit runs dsactl serve on 127.0.0.1:5025 in the group lp, may open /dev/parport*" bash -c '
    grep -qx "ExecStart=/usr/bin/dsactl serve --listen 127.0.0.1:5025" "$1" &&
    grep -qx "SupplementaryGroups=lp" "$1" && grep -qx "DeviceAllow=char-ppdev rw" "$1" &&
    ! grep -qx "PrivateDevices=\(yes\|true\)" "$1" && grep -qx "WantedBy=multi-user.target" "$1"' _ "$unit"
if command -v systemd-analyze >/dev/null; then
    # verify wants the command to exist: point it at the extracted one.
    mkdir -p "$work/unit"
    sed "s|=/usr/bin/dsactl|=$tree/usr/bin/dsactl|" "$unit" >"$work/unit/dsactl-serve.service"
    check "systemd-analyze verify finds nothing in the unit" bash -c '
        out=$(systemd-analyze verify --man=no "$1" 2>&1) && [ -z "$out" ] || { echo "$out"; false; }' _ \
        "$work/unit/dsactl-serve.service"
fi

# --- lintian -------------------------------------------------------------------
echo "--- lintian"
lintian_out=$(lintian --fail-on error -I --pedantic "$deb" 2>&1)
lintian_status=$?
printf '%s\n' "$lintian_out"
echo "---"
check "lintian reports no errors" test "$lintian_status" -eq 0
# Every warning left is explained in the README's packaging section.
readme_section=$(awk '/^## / { p = /^## The Debian package/ } p' "$src/README.md")
for tag in $(sed -n 's/^W: [^ ]* \([a-z0-9.+-]*\).*/\1/p' <<<"$lintian_out" | sort -u); do
    check "the README explains lintian's warning $tag" grep -q -- "$tag" <<<"$readme_section"
done

# --- Install into a throw-away root ----------------------------------------------
# The root's dpkg database holds this machine's records of the packages the
# .deb needs, directly or through their own Depends and Pre-Depends, but not
# what is only recommended (dpkg -i and apt-get --no-install-recommends leave
# that out), so dpkg checks the dependencies for real. The programs run against
# the machine's own files, except Qt's plugins: the root holds only those of its
# packages, and the window loads them from there (a qt.conf beside it), so a
# plugin that only a recommended package brings is missing as it would be.
root="$work/root"
admin="$root/var/lib/dpkg"
plugins=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/qt6/plugins
rm -rf "$root"
mkdir -p "$admin/info" "$admin/updates" "$admin/triggers"
: >"$admin/status"
: >"$admin/available"
# needs PACKAGE: the installed packages PACKAGE depends on (of alternatives,
# the first one installed).
needs() {
    local alternatives name
    dpkg-query -W -f='${Depends}, ${Pre-Depends}' "$1" 2>/dev/null | tr ',' '\n' |
        while read -r alternatives; do
            for name in $(sed 's/([^)]*)//g; s/|/ /g; s/:any//g' <<<"$alternatives"); do
                dpkg-query -W "$name" >/dev/null 2>&1 && { echo "$name"; break; }
            done
        done
}
declare -A in_root=()
todo=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/|.*//; s/(.*)//; s/:any//; s/ //g')
while [ -n "$todo" ]; do
    next=
    for dep in $todo; do
        [ -n "${in_root[$dep]:-}" ] && continue
        in_root[$dep]=1
        dpkg-query -s "$dep" >>"$admin/status" 2>/dev/null && echo >>"$admin/status"
        for list in /var/lib/dpkg/info/"$dep".list /var/lib/dpkg/info/"$dep":*.list; do
            [ -e "$list" ] || continue
            cp "$list" "$admin/info/"
            grep "^$plugins/" "$list" | while read -r file; do
                [ -f "$file" ] && cp --parents "$file" "$root"
            done
        done
        next+=" $(needs "$dep")"
    done
    todo=$next
done
echo "the root holds ${#in_root[@]} packages and $(find "$root$plugins" -type f 2>/dev/null | wc -l) Qt plugins"
check "depends on Qt's platform plugins (qt6-qpa-plugins), which libqt6gui6 only recommends" \
    bash -c 'dpkg-deb -f "$1" Depends | tr "," "\n" | grep -q "^ *qt6-qpa-plugins\b"' _ "$deb"
check "dpkg -i installs it into a throw-away root" dpkg --root="$root" -i "$deb"
check "dpkg knows it as installed" bash -c \
    '[ "$(dpkg-query --admindir="$1" -W -f="\${db:Status-Abbrev}" '"$package"')" = "ii " ]' _ "$admin"

run="$work/run"
rm -rf "$run"
mkdir -p "$run"
bin="$root/usr/bin"
printf '[Paths]\nPlugins=%s\n' "$root$plugins" >"$bin/qt.conf"
check "installed dsactl --version" bash -c '
    cd "$1" && out=$("$2/dsactl" --version) && echo "$out" && grep -q "$3" <<<"$out"' _ \
    "$run" "$bin" "${version%%-*}"
check "installed dsactl --simulate set --model 1 --db 3" bash -c '
    cd "$1" && out=$("$2/dsactl" --simulate set --model 1 --db 3) && echo "$out" && grep -q "3" <<<"$out"' _ \
    "$run" "$bin"

# The Python driver from the root, with this machine's PyMeasure and PyVISA
# (as the programs run against its libraries), against the installed server.
# Bytecode is written beside the modules as on a real install run as root, for
# the prerm to remove.
site="$root/usr/lib/python3/dist-packages"
check "the installed Python driver imports with /usr/bin/python3" \
    env -u PYTHONDONTWRITEBYTECODE -u PYTHONPYCACHEPREFIX PYTHONPATH="$site" /usr/bin/python3 -W ignore -c '
import sys, dsa_attenuator
assert dsa_attenuator.__file__.startswith(sys.argv[1] + "/"), dsa_attenuator.__file__' "$site"
check "the installed driver sets 7 dB on LE3 through the installed dsactl serve --simulate" \
    timeout 60 env PYTHONPATH="$site" /usr/bin/python3 -W ignore -c '
import re, subprocess, sys
from dsa_attenuator import DsaAttenuator, resource_name
server = subprocess.Popen([sys.argv[1], "serve", "--simulate", "--listen", "127.0.0.1:0"],
                          stderr=subprocess.PIPE, text=True)
try:
    line = server.stderr.readline()
    att = DsaAttenuator(resource_name(port=int(re.search(r":(\d+), ", line).group(1))))
    att.model = 5
    att.line(3).attenuation = 7
    print(att.id, att.line(3).latched)
    assert att.line(3).latched == (7, 14)
finally:
    server.terminate()
    server.wait()' "$bin/dsactl"
check "importing the driver left byte code beside it, for the prerm" \
    test -d "$site/dsa_attenuator/__pycache__"

if start_xvfb "$display_dir"; then
    (cd "$run" && exec env -u QT_PLUGIN_PATH -u QT_QPA_PLATFORM_PLUGIN_PATH DISPLAY="$XVFB_DISPLAY" \
        QT_QPA_PLATFORM=xcb QT_LOGGING_RULES=qt.core.library.debug=true \
        "$bin/digital-step-attenuator" --simulate >"$display_dir/app.log" 2>&1) &
    APP_PID=$!
    window_check "installed window with --simulate shows the main window" "$title"
    window_check "installed window with --simulate shows the Test board" "Test board"
    check "the window loads Qt's plugins from the root's packages only" bash -c '
        grep "loaded library" "$1" | grep -F "$2/" || { echo "no plugin loaded from $2"; false; }
        ! grep -F "\"$3/" "$1"' _ "$display_dir/app.log" "$root$plugins" "$plugins"
    kill "$APP_PID" 2>/dev/null
    wait "$APP_PID" 2>/dev/null
    APP_PID=

    # Started from its desktop entry (as a menu starts it), the window runs in
    # the home folder, where it keeps its address file.
    home="$work/home"
    rm -rf "$home"
    mkdir -p "$home"
    (cd "$run" && env -u QT_PLUGIN_PATH -u QT_QPA_PLATFORM_PLUGIN_PATH HOME="$home" PATH="$bin:$PATH" \
        DISPLAY="$XVFB_DISPLAY" QT_QPA_PLATFORM=xcb \
        gio launch "$root/usr/share/applications/$(basename "$desktop")" >"$display_dir/gio.log" 2>&1)
    if id=$(wait_for_window "$title" $$); then
        desktop_pid=$(DISPLAY="$XVFB_DISPLAY" xprop -id "$id" _NET_WM_PID | awk '{ print $3 }')
        check "started from the desktop entry, the window runs in the home folder" \
            test "$(readlink "/proc/$desktop_pid/cwd")" = "$home"
        kill "$desktop_pid" 2>/dev/null
        desktop_pid=
    else
        fail "the desktop entry starts the window"
        cat "$display_dir/gio.log"
    fi
else
    fail "a virtual display starts"
fi

# --- Remove ----------------------------------------------------------------------
rm -f "$bin/qt.conf"
# The prerm runs outside the root, which holds no shell, with DPKG_ROOT set.
check "dpkg -r removes it" dpkg --root="$root" --force-script-chrootless -r "$package"
check "dpkg no longer knows it as installed" bash -c \
    '! dpkg-query --admindir="$1" -W -f="\${db:Status-Abbrev}" '"$package"' 2>/dev/null | grep -q "^[ir]"' _ "$admin"
# No file is left but the plugins of the other packages; a folder may stay only
# where another package owns it.
left=$(cd "$root" && find . -mindepth 1 -path ./var/lib/dpkg -prune -o ! -type d -print |
    while read -r file; do
        dpkg --root="$root" -S "${file#.}" >/dev/null 2>&1 || echo "$file"
    done)
check "dpkg -r leaves no file behind" test -z "$left"
[ -n "$left" ] && echo "$left"
stray=()
while read -r dir; do
    dpkg --root="$root" -S "${dir#.}" >/dev/null 2>&1 || stray+=("$dir")
done < <(cd "$root" && find . -mindepth 1 -path ./var -prune -o -type d -print)
check "dpkg -r leaves no folder of its own behind" test "${#stray[@]}" -eq 0
[ "${#stray[@]}" -gt 0 ] && printf '%s\n' "${stray[@]}"

finish
