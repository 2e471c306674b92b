#!/usr/bin/env bash
# Builds the Debian package and checks it the way a user would meet it: the desktop entry and
# the AppStream metadata pass their validators, lintian finds no errors, the unpacked package
# holds the program, its menu entry, icons, metadata and manual where a desktop looks for
# them, and the unpacked program opens its window on a virtual X server, once at normal size
# and once scaled by two. Exits non-zero when any check fails.
#   scripts/test-package.sh          (build directory: build-deb; JOBS=2 parallel jobs)
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
build="build-deb"
jobs=${JOBS:-2}
started=$SECONDS

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# --- tools -----------------------------------------------------------------------------------
scripts/install-deps.sh package || exit 1

# --- validators on the sources ---------------------------------------------------------------
desktop_src=packaging/ctarvolin.desktop
metainfo_src=$(ls packaging/*.metainfo.xml)
desktop-file-validate "$desktop_src" && pass "desktop-file-validate $desktop_src" ||
    fail "desktop-file-validate $desktop_src"
# No network here: screenshot and home page addresses are not fetched.
appstreamcli validate --no-net "$metainfo_src" && pass "appstreamcli validate $metainfo_src" ||
    fail "appstreamcli validate $metainfo_src"

# --- build and package -----------------------------------------------------------------------
# Debian's own hardening flags, as a package built by dpkg-buildpackage would get them; the
# debugging information would only be stripped again.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
cxxflags=${cxxflags//-g /}
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVOLIN_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null &&
    cmake --build "$build" -j "$jobs" --target ctarvolin ctarvolin_docs ||
    { echo "FAIL: build" >&2; exit 1; }
rm -f "$build"/ctarvolin_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log"; echo "FAIL: cpack" >&2; exit 1; }
debs=("$build"/ctarvolin_*.deb)
[ -f "${debs[0]}" ] || { echo "FAIL: cpack made no ctarvolin_*.deb" >&2; exit 1; }
deb=${debs[0]}
pass "built $deb"

# --- lintian ---------------------------------------------------------------------------------
echo "lintian $deb:"
if lintian --fail-on error --display-info "$deb"; then
    pass "lintian: no errors"
else
    fail "lintian reports errors"
fi

# --- the unpacked package --------------------------------------------------------------------
work=$(mktemp -d)
app_pid=""
xvfb_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$work/root" || { echo "FAIL: dpkg-deb -x" >&2; exit 1; }
root=$work/root

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
depend_names=$(tr ',|' '\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//')
for library in libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6 qt6-qpa-plugins; do
    grep -qxF "$library" <<<"$depend_names" || fail "Depends does not name $library"
done

must_have() { # path under the root; "executable" when it must be one
    if [ -f "$root/$1" ] && { [ "${2:-}" != executable ] || [ -x "$root/$1" ]; }; then
        pass "$1"
    else
        fail "missing $1"
    fi
}
must_have usr/bin/ctarvolin executable
must_have usr/share/applications/ctarvolin.desktop
must_have usr/share/kio/servicemenus/ctarvolin-rename.desktop
must_have usr/share/file-manager/actions/ctarvolin-rename.desktop
must_have usr/share/nemo/actions/ctarvolin-rename.nemo_action
must_have "usr/share/metainfo/$(basename "$metainfo_src")"
must_have usr/share/icons/hicolor/scalable/apps/ctarvolin.svg
must_have usr/share/man/man1/ctarvolin.1.gz
must_have usr/share/doc/ctarvolin/copyright
must_have usr/share/doc/ctarvolin/changelog.Debian.gz

# A PNG's width and height are the two big-endian words at bytes 16 to 23.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }
entry=$root/usr/share/applications/ctarvolin.desktop
key() { sed -n "s/^$1=//p" "$entry" | head -1; }
exec_line=$(key Exec)
icon=$(key Icon)
[[ $exec_line == *" %F" ]] && pass "Exec passes the chosen files (%F)" ||
    fail "Exec=$exec_line does not pass files"
[ "${exec_line%% *}" = ctarvolin ] && [ -x "$root/usr/bin/${exec_line%% *}" ] &&
    pass "Exec=$exec_line names usr/bin/ctarvolin" || fail "Exec=$exec_line does not name the program"
[ "$icon" = ctarvolin ] && pass "Icon=$icon" || fail "Icon=$icon is not ctarvolin"
# "Open With" offers the program for any file and folder only when the entry says it takes them.
mime_types=";$(key MimeType)"
[[ $mime_types == *";application/octet-stream;"* && $mime_types == *";inode/directory;"* ]] &&
    pass "MimeType takes every file and folder" || fail "MimeType=${mime_types#;} misses files or folders"
for size in 16 32 48; do
    png=usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
    must_have "$png"
    [ -f "$root/$png" ] && [ "$(png_size "$root/$png")" = "${size}x${size}" ] ||
        fail "$png is not ${size}x${size}"
done
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable $icon.svg"
grep -q '<launchable type="desktop-id">ctarvolin.desktop</launchable>' \
    "$root/usr/share/metainfo/$(basename "$metainfo_src")" &&
    pass "metainfo launches ctarvolin.desktop" || fail "metainfo does not launch ctarvolin.desktop"
# The installed tree as a software centre reads it: entry, metadata and icon together.
appstreamcli validate-tree --no-net "$root" && pass "appstreamcli validate-tree" ||
    fail "appstreamcli validate-tree"

# --- the window --------------------------------------------------------------------------------
source scripts/xvfb.sh
start_xvfb "$work" -screen 0 1600x1200x24 || fail "Xvfb did not start"

wm_class=$(key StartupWMClass)
# Starts the unpacked program, waits up to 20 seconds for its window, checks the window's
# width in device pixels and its class, and ends the program by its process id.
see_window() { # scale factor, expected width in device pixels
    mkdir -p "$work/cwd"
    wait_for_display || fail "no X server before the start at scale $1"
    (cd "$work/cwd" && QT_SCALE_FACTOR=$1 exec "$root/usr/bin/ctarvolin") >"$work/app.log" 2>&1 &
    app_pid=$!
    local info="" window
    for _ in $(seq 200); do
        info=$(xwininfo -name C-Tarvolin 2>/dev/null) && [[ $info == *IsViewable* ]] && break
        info=""
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$info" ]; then
        cat "$work/app.log"
        fail "no C-Tarvolin window at scale $1"
    else
        local width
        width=$(sed -n 's/^ *Width: //p' <<<"$info")
        [ "$width" = "$2" ] && pass "window at scale $1 is $width pixels wide" ||
            fail "window at scale $1 is $width pixels wide, not $2"
        window=$(sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p' <<<"$info")
        xprop -id "$window" WM_CLASS | grep -q "\"$wm_class\"" &&
            pass "window class matches StartupWMClass=$wm_class" ||
            fail "WM_CLASS $(xprop -id "$window" WM_CLASS) does not match StartupWMClass=$wm_class"
    fi
    if kill "$app_pid" 2>/dev/null; then
        wait "$app_pid" 2>/dev/null
        pass "ended ctarvolin (pid $app_pid)"
    else
        fail "ctarvolin (pid $app_pid) had already ended"
    fi
    app_pid=""
}
see_window 1 615
see_window 2 1230

echo "package test: $failures failure(s) in $((SECONDS - started)) s"
[ "$failures" -eq 0 ]
