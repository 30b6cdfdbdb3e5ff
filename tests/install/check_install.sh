#!/usr/bin/env bash
# The installation as a user gets it: `cmake --install` of a finished build into a temporary prefix,
# the installed programs run from outside the build tree (the virtual mouse, a virtual X display),
# the profiles panel worked through the real window (profiles_window.sh), the desktop entries, the
# metainfo and the udev rule validated, and the Debian package built and listed.
#
# Usage: tests/install/check_install.sh [--apt] [BUILD_DIR]      (BUILD_DIR defaults to build/)
#   --apt   also install the package with apt on this machine, run it from /usr and purge it
#           again (root only; changes the system while it runs)
# Needs: xvfb, openbox, x11-utils, desktop-file-utils, appstream, dpkg-dev (and the build's tools);
# xdotool for the profiles panel's window script (skipped without it).
# Exit code 0 when every check passed.
set -uo pipefail

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
with_apt=0
if [ "${1:-}" = --apt ]; then
    with_apt=1
    shift
fi
build=$(cd "${1:-$source_dir/build}" && pwd) || exit 2
for tool in Xvfb openbox xprop xwininfo desktop-file-validate appstreamcli dpkg-deb dpkg-shlibdeps cpack; do
    command -v "$tool" > /dev/null || {
        echo "check_install: $tool is missing" >&2
        exit 2
    }
done

. "$source_dir/tests/install/lib.sh"
prefix=$work/prefix

version=$(sed -n 's/^project(Quorvik VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")

# ---- install ----
step "cmake --install into $prefix"
if ! cmake --install "$build" --prefix "$prefix" > "$work/install.log"; then
    cat "$work/install.log" >&2
    fail "cmake --install"
    exit 1
fi

step "installed files"
expected=(bin/quorvik bin/quorvikctl
          share/quorvik/config/Lan_EN.txt share/quorvik/config/Lan.txt share/quorvik/config/LanSetting.ini
          share/quorvik/doc/README.md share/applications/quorvik.desktop
          share/metainfo/io.github.quorvik.Quorvik.metainfo.xml share/icons/hicolor/scalable/apps/quorvik.svg
          share/man/man1/quorvik.1.gz share/man/man1/quorvikctl.1.gz
          lib/udev/rules.d/70-quorvik.rules etc/xdg/autostart/quorvik.desktop
          share/dbus-1/interfaces/org.quorvik.Quorvik1.xml
          share/doc/quorvik/copyright share/doc/quorvik/changelog.Debian.gz)
for f in "${expected[@]}"; do
    check "$f installed" test -f "$prefix/$f"
done
check "the executables are executable" test -x "$prefix/bin/quorvik" -a -x "$prefix/bin/quorvikctl"
# Every skin the build drew, nothing else (not the build's stamp file).
check "the skins are the build's" diff <(cd "$build/bin/skins" && find . -type f ! -name .generated | sort) \
    <(cd "$prefix/share/quorvik/skins" && find . -type f | sort)
for f in Lan_EN.txt Lan.txt LanSetting.ini; do
    check "config/$f is the delivered one" cmp -s "$build/bin/config/$f" "$prefix/share/quorvik/config/$f"
done
png_size() { # width x height from the PNG header
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'
}
for size in 16 24 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/quorvik.png
    check "icon ${size}x${size}" test "$( [ -f "$icon" ] && png_size "$icon")" = "${size}x${size}"
done
check "the icon's SVG is an SVG" grep -q '<svg xmlns="http://www.w3.org/2000/svg"' \
    "$prefix/share/icons/hicolor/scalable/apps/quorvik.svg"
stray=$(cd "$prefix" && find . -type f | grep -v -E '^\./(bin|share/(quorvik|applications|metainfo|icons/hicolor|man/man1|doc/quorvik|dbus-1/interfaces)|lib/udev/rules\.d|etc/xdg/autostart)/')
check "nothing installed elsewhere: $stray" test -z "$stray"
if command -v groff > /dev/null; then
    for page in quorvik quorvikctl; do
        warnings=$(zcat "$prefix/share/man/man1/$page.1.gz" | groff -ww -man -z -Tutf8 2>&1)
        check "man page $page renders without warnings: $warnings" test -z "$warnings"
        check "man page $page carries the version" sh -c "zcat '$prefix/share/man/man1/$page.1.gz' | grep -q 'Quorvik $version'"
    done
fi

# ---- the installed programs, run from outside the build tree ----
cd "$work" || exit 1
export HOME=$work/home
unset XDG_CONFIG_HOME
XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export XDG_RUNTIME_DIR
data=$HOME/.config/GamingMouseData20230810A

step "installed quorvikctl --virtual-mouse status"
"$prefix/bin/quorvikctl" --virtual-mouse status > "$work/status.out" 2> "$work/status.err"
rc=$?
cat "$work/status.out"
check "quorvikctl status exits 0 (got $rc: $(cat "$work/status.err"))" test "$rc" -eq 0
check "the virtual mouse answered" grep -q '^model: *R7K3' "$work/status.out"
check "quorvikctl said nothing on standard error" test ! -s "$work/status.err"
# The delivered language files reach the data folder only from the installed program folder.
for f in Lan_EN.txt Lan.txt LanSetting.ini; do
    check "first start copied config/$f from share/quorvik" cmp -s "$prefix/share/quorvik/config/$f" "$data/config/$f"
done
check "quorvik --version" test "$("$prefix/bin/quorvik" --version)" = "quorvik $version"

step "X display (Xvfb, openbox)"
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    display_written "$work/display" && break
    sleep 0.1
done
if ! display_written "$work/display"; then
    fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    exit 1
fi
export DISPLAY=:$(cat "$work/display")
openbox > "$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id' && break
    sleep 0.1
done
# The program on the X display, as on a desktop (the CI's offscreen platform is for the tests).
run_gui() { env -u QT_QPA_PLATFORM "$@"; }

step "installed quorvik --virtual-mouse --exit-after-paint"
run_gui timeout 60 "$prefix/bin/quorvik" --virtual-mouse --exit-after-paint 2> "$work/paint.err"
rc=$?
check "quorvik ended after its first paint (exit $rc)" test "$rc" -eq 0
check "quorvik found its skins and language: $(cat "$work/paint.err")" test ! -s "$work/paint.err"

step "a broken installation is reported"
cp -a "$prefix" "$work/broken"
rm "$work/broken/share/quorvik/skins/exit_nr.png"
rm -r "$work/broken/share/quorvik/config"
HOME=$work/broken-home run_gui timeout 60 "$work/broken/bin/quorvik" --virtual-mouse --exit-after-paint 2> "$work/broken.err"
check "a missing skin is named: $(cat "$work/broken.err")" \
    grep -q "^  $work/broken/share/quorvik/skins/exit_nr.png: missing\$" "$work/broken.err"
check "missing language files are reported" grep -q 'language texts could not be read' "$work/broken.err"

# Top-level windows of the running program whose name is $1: "id WxH mapstate class" per line.
program_windows() {
    local id
    for id in $(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p'); do
        # Under a window manager the program's window is a child of the manager's frame.
        for w in $id $(xwininfo -id "$id" -children 2> /dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p'); do
            local class name info
            class=$(xprop -id "$w" WM_CLASS 2> /dev/null | sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p')
            name=$(xprop -id "$w" WM_NAME 2> /dev/null | sed -n 's/^WM_NAME(STRING) = "\(.*\)"$/\1/p')
            [ -n "$class" ] && [ "$name" = "$1" ] || continue
            info=$(xwininfo -id "$w")
            echo "$w $(sed -n 's/^ *-geometry \([0-9]*x[0-9]*\).*/\1/p' <<< "$info") \
$(sed -n 's/^ *Map State: \(.*\)/\1/p' <<< "$info") $class"
        done
    done
}
wait_for_window() { # wait_for_window NAME SIZE: prints the matching line once the window exists
    local line
    for _ in $(seq 150); do
        line=$(program_windows "$1" | awk -v size="$2" '$2 == size')
        [ -n "$line" ] && { echo "$line"; return 0; }
        sleep 0.1
    done
    return 1
}
quit_program() { # asks the running program to exit and waits for it
    local pid=$1
    run_gui "$prefix/bin/quorvik" --quit
    local rc=$?
    for _ in $(seq 100); do
        kill -0 "$pid" 2> /dev/null || break
        sleep 0.1
    done
    check "quorvik --quit reached the running program (exit $rc)" test "$rc" -eq 0
    check "the running program ended on --quit" sh -c "! kill -0 $pid 2> /dev/null"
}

step "the window's WM_CLASS and the desktop entry's StartupWMClass"
startup_class=$(sed -n 's/^StartupWMClass=//p' "$prefix/share/applications/quorvik.desktop")
run_gui "$prefix/bin/quorvik" --virtual-mouse 2> "$work/window.err" &
gui=$!
pids+=($gui)
# The main window is 1127 x 740 units; the 1600 x 1000 screen gives the scale factor 1.
if window=$(wait_for_window "Gaming Mouse" 1127x740); then
    echo "main window: $window"
    check "the main window is shown when the mouse is online" test "$(awk '{print $3}' <<< "$window")" = IsViewable
    check "WM_CLASS $(awk '{print $4}' <<< "$window") = StartupWMClass $startup_class" \
        test "$(awk '{print $4}' <<< "$window")" = "$startup_class"
else
    fail "no main window appeared"
fi
quit_program "$gui"

step "started as at login, without a mouse online: hidden"
check "the autostart entry runs quorvik" grep -q '^Exec=quorvik$' "$prefix/etc/xdg/autostart/quorvik.desktop"
check "the launcher opens the window, with the mouse or without" grep -q '^Exec=quorvik --show$' "$prefix/share/applications/quorvik.desktop"
# A removed but not purged package leaves the entry behind: sessions skip it when TryExec finds no
# program on the PATH, and find the installed one.
check "the autostart entry tries for quorvik first" grep -q '^TryExec=quorvik$' "$prefix/etc/xdg/autostart/quorvik.desktop"
check "TryExec finds the installed program" env PATH="$prefix/bin" /bin/sh -c 'command -v quorvik' > /dev/null
# At login the panel's tray may not be up yet: the sessions are asked to start the program after it.
check "the autostart entry waits for GNOME's panel" grep -q '^X-GNOME-Autostart-Delay=5$' "$prefix/etc/xdg/autostart/quorvik.desktop"
check "the autostart entry waits for KDE's panel" grep -q '^X-KDE-autostart-after=panel$' "$prefix/etc/xdg/autostart/quorvik.desktop"
"$prefix/bin/quorvikctl" list > /dev/null 2>&1
if [ $? -eq 3 ]; then # no mouse on this machine
    rm -rf "$data"
    run_gui "$prefix/bin/quorvik" 2> "$work/autostart.err" &
    gui=$!
    pids+=($gui)
    # Minimised at once and hidden 100 ms later: never shown on the screen in between. The window is
    # looked for with one quick call, so that the first 100 ms are sampled too.
    id=""
    for _ in $(seq 500); do
        id=$(xwininfo -root -tree | awk '/"Gaming Mouse": \("quorvik" "quorvik"\) +1127x740/ { print $1; exit }')
        [ -n "$id" ] && break
        sleep 0.01
    done
    if [ -n "$id" ]; then
        states=""
        for _ in $(seq 60); do
            states+=" $(xwininfo -id "$id" | sed -n 's/^ *Map State: //p')"
            sleep 0.01
        done
        states=$(tr ' ' '\n' <<< "$states" | uniq | xargs)
        echo "main window: $states"
        check "the main window is never shown without a mouse online (states: $states)" \
            sh -c "! printf '%s' '$states' | grep -q IsViewable"
        check "the main window ends hidden (states: $states)" test "${states##* }" = IsUnMapped
    else
        fail "the program made no main window"
    fi
    quit_program "$gui"
else
    echo "a mouse is present on this machine: skipped"
fi

step "the profiles panel through the window (tests/install/profiles_window.sh)"
"$source_dir/tests/install/profiles_window.sh" "$prefix"
rc=$?
if [ "$rc" -eq 77 ]; then
    echo "(xdotool or another X tool is missing: skipped)"
else
    check "add, rename, select, delete, export and import through the window (exit $rc)" test "$rc" -eq 0
fi

# ---- desktop entries, metainfo ----
step "desktop entries and metainfo"
check "desktop-file-validate quorvik.desktop" desktop-file-validate "$prefix/share/applications/quorvik.desktop"
check "desktop-file-validate the autostart entry" desktop-file-validate "$prefix/etc/xdg/autostart/quorvik.desktop"
metainfo=$prefix/share/metainfo/io.github.quorvik.Quorvik.metainfo.xml
check "appstreamcli validate" appstreamcli validate --no-net "$metainfo"
# The tree check also finds the desktop entry the metainfo names.
check "appstreamcli validate-tree" appstreamcli validate-tree --no-net "$prefix"
check "the metainfo's release is the project version $version" grep -q "<release version=\"$version\"" "$metainfo"
check "the metainfo launches quorvik.desktop" grep -q '<launchable type="desktop-id">quorvik.desktop</launchable>' "$metainfo"

# ---- the udev rule ----
step "udev rule"
rule=$prefix/lib/udev/rules.d/70-quorvik.rules
if command -v udevadm > /dev/null && udevadm verify --help > /dev/null 2>&1; then
    check "udevadm verify" udevadm verify "$rule"
else
    echo "(udevadm verify is not available here: syntax check instead)"
fi
check "the rules' syntax" "$source_dir/tests/install/check_udev_rules.sh" "$rule"
for product in 5b2e 5b2f; do
    check "uaccess for 248a:$product" grep -q -E "^KERNEL==\"hidraw\*\", SUBSYSTEM==\"hidraw\", ATTRS\{idVendor\}==\"248a\", ATTRS\{idProduct\}==\"$product\", TAG\+=\"uaccess\"$" "$rule"
done
# systemd turns the tag into an access list in 73-seat-late.rules: the rule must come before it.
check "the rule sorts before 73-seat-late.rules" test "$(printf '%s\n' 70-quorvik.rules 73-seat-late.rules | LC_ALL=C sort | head -n 1)" = 70-quorvik.rules
# The syntax check itself must catch the faults udev reports.
bad=$work/bad-rules
mkdir -p "$bad"
n=0
while IFS= read -r line; do
    n=$((n + 1))
    printf '%s\n' "$line" > "$bad/70-bad$n.rules"
    check "the syntax check rejects: $line" sh -c "! '$source_dir/tests/install/check_udev_rules.sh' '$bad/70-bad$n.rules' 2> /dev/null"
done << 'EOF'
KERNEL=="hidraw*", ATTRS{idVendor}="248a", TAG+="uaccess"
KERNEL=="hidraw*", ATTRS{idVendor}=="248a" TAG+="uaccess"
KERNEL=="hidraw*", ATTRS{idVendor}=="248a", TAG:="uaccess"
KERNEL=="hidraw*", ATRS{idVendor}=="248a", TAG+="uaccess"
KERNEL=="hidraw*", ATTRS{idVendor}=="248a, TAG+="uaccess"
KERNEL=="hidraw*", ATTRS{idVendor}=="248a", TAG=="uaccess"
KERNEL=="hidraw*", ATTRS{idVendor}=="248a", TAG+=uaccess
EOF
cp "$rule" "$bad/quorvik.rules"
check "the syntax check rejects a file name without its number" \
    sh -c "! '$source_dir/tests/install/check_udev_rules.sh' '$bad/quorvik.rules' 2> /dev/null"

# ---- the Debian package ----
step "cpack -G DEB"
if cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" > "$work/cpack.log" 2>&1; then
    pass
else
    cat "$work/cpack.log" >&2
    fail "cpack -G DEB"
fi
deb=$(ls "$work"/deb/quorvik_*.deb 2> /dev/null | head -n 1)
if [ -n "$deb" ]; then
    echo "package: $(basename "$deb")"
    dpkg-deb -I "$deb"
    dpkg-deb -c "$deb" > "$work/deb.list"
    # The listing, with the skins counted rather than listed one by one.
    grep -v -E '\./usr/share/quorvik/skins/.+' "$work/deb.list"
    echo "... and $(grep -c -E '\./usr/share/quorvik/skins/.+[^/]$' "$work/deb.list") files under ./usr/share/quorvik/skins/"
    field() { dpkg-deb -f "$deb" "$1"; }
    check "package name quorvik" test "$(field Package)" = quorvik
    check "package version $version" test "$(field Version)" = "$version"
    check "a maintainer" test -n "$(field Maintainer)"
    for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6dbus6 libudev1; do
        check "depends on $lib" sh -c "printf '%s' '$(field Depends)' | grep -q -E '(^|, )$lib( |,|\$)'"
    done
    for pkg in udev fonts-wqy-microhei; do
        check "recommends $pkg" sh -c "printf '%s' '$(field Recommends)' | grep -q -E '(^|, )$pkg( |,|\$)'"
    done
    # The same files as the installation, the prefix /usr, the autostart entry in /etc.
    diff <( (cd "$prefix" && find . -type f ! -path './etc/*' | sed 's|^\./|./usr/|'; echo ./etc/xdg/autostart/quorvik.desktop) | sort) \
        <(awk '$1 !~ /^d/ { print $NF }' "$work/deb.list" | sort) > "$work/deb.diff"
    check "the package holds the installed files: $(cat "$work/deb.diff")" test ! -s "$work/deb.diff"
    dpkg-deb -e "$deb" "$work/control"
    check "the autostart entry is a conffile" grep -q '^/etc/xdg/autostart/quorvik.desktop$' "$work/control/conffiles"
    # The documents every Debian package carries: a machine-readable copyright file and the changelog.
    check "the package has /usr/share/doc/quorvik/copyright" grep -q ' \./usr/share/doc/quorvik/copyright$' "$work/deb.list"
    check "the copyright file is machine-readable" \
        grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' "$prefix/share/doc/quorvik/copyright"
    zcat "$prefix/share/doc/quorvik/changelog.Debian.gz" > "$work/changelog" 2> /dev/null
    check "the changelog is for version $version" \
        test "$(dpkg-parsechangelog -l "$work/changelog" -S Version 2> /dev/null)" = "$version"
    check "the changelog names the package's maintainer" \
        test "$(dpkg-parsechangelog -l "$work/changelog" -S Maintainer 2> /dev/null)" = "$(field Maintainer)"
    for script in postinst postrm; do
        check "$script is a valid shell script" sh -n "$work/control/$script"
    done
    # Here udev does not run (or is not installed): the scripts must not fail the installation.
    check "postinst succeeds without a running udev" sh "$work/control/postinst" configure
    check "postrm succeeds without a running udev" sh "$work/control/postrm" remove
    if [ "$with_apt" = 1 ]; then
        step "apt install of the package"
        if apt-get install -y --no-install-recommends "$deb" > "$work/apt.log" 2>&1; then
            pass
            rm -rf "$data"
            check "/usr/bin/quorvikctl runs" /usr/bin/quorvikctl --virtual-mouse status > /dev/null
            check "… with the language files from /usr/share/quorvik" cmp -s /usr/share/quorvik/config/Lan_EN.txt "$data/config/Lan_EN.txt"
            run_gui timeout 60 /usr/bin/quorvik --virtual-mouse --exit-after-paint 2> "$work/usr.err"
            check "/usr/bin/quorvik finds its skins: $(cat "$work/usr.err")" test ! -s "$work/usr.err"
            check "apt purge" apt-get purge -y quorvik > /dev/null 2>&1
            check "nothing left in /usr/share/quorvik" test ! -e /usr/share/quorvik
        else
            cat "$work/apt.log" >&2
            fail "apt install of the package"
        fi
    fi
else
    fail "no package was built"
fi

echo "install test: $checks checks, $failed failed"
[ "$failed" -eq 0 ]
