#!/usr/bin/env bash
# Makes the Windows installer of a build and runs it silently under Wine, in
# a Wine prefix of its own (a machine that has seen no Qt), on a display
# (on_display.sh): the program must land in Program Files with a Start menu
# entry and an uninstaller, its catalogue read-only; started, it must copy
# the catalogue into the user's local data folder and list its kinds; the
# uninstaller must take it all away again and leave the user's copy.
#   check_installer.sh WINE CPACK BUILD_DIR WORK_DIR
set -euo pipefail
wine=$1
cpack=$2
build=$(realpath "$3")
work=$4
rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
export WINEPREFIX=$work/wine
fail() { echo "FAIL: $*"; exit 1; }
source "$(dirname "$0")/../support/start_line.sh"

"$cpack" -G NSIS --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
installers=("$work"/cpack/pumpsel-*-win64.exe)
[ ${#installers[@]} -eq 1 ] && [ -f "${installers[0]}" ] || fail "no single installer in $work/cpack"

# The program says on stderr what it opened (qt_environment.sh).
"$(dirname "$0")/qt_environment.sh" "$wine" QT_FORCE_STDERR_LOGGING=1 QT_LOGGING_RULES=pumpsel.start.info=true
"$wine" "${installers[0]}" /S >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "the installer"; }
c=$WINEPREFIX/drive_c
home="$c/Program Files/pumpsel"
for file in bin/pumpsel.exe bin/pumpsel-ini.exe bin/pumpsel-sheet.exe bin/Qt6Widgets.dll bin/Qt6PrintSupport.dll \
  bin/platforms/qwindows.dll bin/styles/qwindowsvistastyle.dll bin/imageformats/qjpeg.dll bin/imageformats/qgif.dll \
  bin/translations/qtbase_zh_CN.qm bin/libstdc++-6.dll share/pumpsel/txt/bump.dat Uninstall.exe; do
  [ -f "$home/$file" ] || fail "the installation lacks $file"
done
[ -e "$home/bin/Qt6Test.dll" ] || [ -e "$home/bin/platforms/qoffscreen.dll" ] &&
  fail "the installation holds what only the tests need"
shortcut=$(find "$c" -name '水泵选型.lnk' -path '*Start Menu*')
[ -n "$shortcut" ] || fail "no Start menu entry 水泵选型"
winpath() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
attributes() { "$wine" cmd /c attrib "$(winpath "$1")" 2>/dev/null | tr -d '\r' | cut -c1-11; }
[[ $(attributes "$home/share/pumpsel/txt/bump.dat") == *R* ]] || fail "the installed catalogue is not read-only"

# Started as from the Start menu, with no catalogue beside it.
log=$work/pumpsel.log
"$wine" "$home/bin/pumpsel.exe" >"$log" 2>&1 &
pid=$!
line=$(start_line "$log" "$pid" 600) || { cat "$log"; fail "the program did not open its window"; }
wait "$pid" 2>/dev/null || true
[[ $line =~ ^pumpsel.start:\ catalogue\ (.*)\ with\ ([0-9]+)\ kinds$ ]] || fail "unexpected line: $line"
copy=$(find "$c/users" -path '*/AppData/Local/pumpsel' -type d)
[ -n "$copy" ] || fail "no first-start copy in the user's local data folder"
[ "${BASH_REMATCH[1]}" = "$(winpath "$copy")" ] ||
  fail "opened ${BASH_REMATCH[1]}, not the first-start copy $copy"
# The kinds the index lists, counted apart from the program.
kinds=$(grep -c '^[0-9]*=' <(iconv -f GBK -t UTF-8 "$home/share/pumpsel/txt/bump.dat" | tr -d '\r' |
        sed -n '/^\[种类\]/,/^\[/p'))
[ "${BASH_REMATCH[2]}" -gt 0 ] && [ "${BASH_REMATCH[2]}" = "$kinds" ] ||
  fail "the kinds list shows ${BASH_REMATCH[2]} kinds; the installed catalogue has $kinds"
cmp "$copy/txt/bump.dat" "$home/share/pumpsel/txt/bump.dat" || fail "the copy differs from the installed catalogue"
[[ $(attributes "$copy/txt/bump.dat") != *R* ]] || fail "the user's copy is read-only"

# The uninstaller starts a copy of itself and ends: the prefix's programs
# are waited for.
"$wine" "$home/Uninstall.exe" /S >"$work/uninstall.log" 2>&1 || { cat "$work/uninstall.log"; fail "the uninstaller"; }
wineserver -w
[ -e "$home/bin" ] || [ -e "$home/share" ] && fail "the uninstaller left $(ls "$home")"
[ -e "$shortcut" ] && fail "the uninstaller left the Start menu entry"
[ -f "$copy/txt/bump.dat" ] || fail "the uninstaller removed the user's copy"
rm -rf "$work"
echo "installed, started on its first-start copy with $kinds kinds, uninstalled"
