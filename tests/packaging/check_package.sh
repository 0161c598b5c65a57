#!/usr/bin/env bash
# Makes the Debian package of a build and runs lintian on it, unpacks it into
# a folder (nothing is installed into the machine), checks its desktop entry,
# metainfo, icons and dependencies, and starts the unpacked program without a
# screen in a fresh HOME: it must copy the installed catalogue there and list
# its kinds. The unpacked pumpsel-ini must check the catalogue the program
# opens: the installed one, then the user's copy.
#   check_package.sh CPACK BUILD_DIR WORK_DIR
set -euo pipefail
cpack=$1
build=$(realpath "$2")
work=$3
rm -rf "$work"
mkdir -p "$work/root" "$work/home"
mkdir -m 700 "$work/runtime"
work=$(realpath "$work")
fail() { echo "FAIL: $*"; exit 1; }
source "$(dirname "$0")/../support/start_line.sh"

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/cpack/pumpsel_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single package in $work/cpack"
deb=${debs[0]}

# The library dependencies are computed; these are the ones it cannot lack,
# and Qt Charts is one it must not have: the chart is the program's own.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6gui6 'libicu[0-9]+' 'libstdc\+\+6'; do
  grep -Eq "(^|[ ,])$lib( |,|$)" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
if grep -q libqt6charts <<<"$depends"; then fail "Depends has Qt Charts: $depends"; fi

# As a Debian packager checks a package: no error and no warning.
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log"; fail "lintian"; }

dpkg-deb -x "$deb" "$work/root"
usr=$work/root/usr
id=io.github.pumpsel.Pumpsel
desktop-file-validate "$usr/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" || fail "metainfo"
grep -q "^Icon=$id$" "$usr/share/applications/$id.desktop" || fail "the desktop entry names another icon"
for size in 16 32 64; do
  png=$usr/share/icons/hicolor/${size}x$size/apps/$id.png
  # Width and height, big-endian, at bytes 16 to 23 of a PNG.
  [ "$(od -An -tx1 -j16 -N8 "$png" | tr -d ' \n')" = "$(printf '%08x%08x' "$size" "$size")" ] ||
    fail "$png is not $size pixels square"
done
rsvg-convert -w 256 -h 256 "$usr/share/icons/hicolor/scalable/apps/$id.svg" -o "$work/icon256.png" ||
  fail "the scalable icon does not render"

# Before the first start there is no user's copy: the installed catalogue is checked.
ini() { HOME=$work/home XDG_DATA_HOME= "$usr/bin/pumpsel-ini" check >"$work/check.log" 2>&1; }
ini || { cat "$work/check.log"; fail "pumpsel-ini check of the installed catalogue"; }
[ -e "$work/home/.local" ] && fail "pumpsel-ini check wrote into the user's data folder"

# The unpacked program, on the copy it makes of its installed catalogue.
log=$work/pumpsel.log
HOME=$work/home XDG_DATA_HOME= XDG_CONFIG_HOME= XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=offscreen \
  QT_LOGGING_RULES=pumpsel.start.info=true "$usr/bin/pumpsel" >"$log" 2>&1 &
pid=$!
line=$(start_line "$log" "$pid" 300) || { cat "$log"; fail "the program did not open its window"; }
wait "$pid" 2>/dev/null || true
copy=$work/home/.local/share/pumpsel
[[ $line =~ ^pumpsel.start:\ catalogue\ (.*)\ with\ ([0-9]+)\ kinds$ ]] || fail "unexpected line: $line"
[ "${BASH_REMATCH[1]}" = "$copy" ] || fail "opened ${BASH_REMATCH[1]}, not the first-start copy $copy"
kinds=$(grep -c '^[0-9]*=' <(iconv -f GBK -t UTF-8 "$usr/share/pumpsel/txt/bump.dat" | tr -d '\r' |
        sed -n '/^\[种类\]/,/^\[/p'))
[ "${BASH_REMATCH[2]}" -gt 0 ] && [ "${BASH_REMATCH[2]}" = "$kinds" ] ||
  fail "the kinds list shows ${BASH_REMATCH[2]} kinds; the installed catalogue has $kinds"
cmp "$copy/txt/bump.dat" "$usr/share/pumpsel/txt/bump.dat" || fail "the copy differs from the installed catalogue"

# Docks match the program's windows to its desktop entry by their X11 class.
wm_class=$(sed -n 's/^StartupWMClass=//p' "$usr/share/applications/$id.desktop")
classes=$(HOME=$work/home XDG_DATA_HOME= XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb \
          xvfb-run -a "$(dirname "$0")/window_classes.sh" "$usr/bin/pumpsel") || fail "no window on the X server"
[ -n "$wm_class" ] && [ "$(sort -u <<<"$classes")" = "$wm_class" ] ||
  fail "the windows' X11 classes ($classes) are not the desktop entry's StartupWMClass ($wm_class)"

# Now pumpsel-ini checks the user's copy, where a thumbnail is taken away.
thumbnail=$(cd "$copy/images" && ls sm_* | head -n 1)
rm "$copy/images/$thumbnail"
status=0
ini || status=$?
[ "$status" = 1 ] && grep -q "$thumbnail" "$work/check.log" ||
  { cat "$work/check.log"; fail "pumpsel-ini check did not check the user's copy (exit $status)"; }
echo "package $(basename "$deb"): $kinds kinds listed from $copy"
