#!/usr/bin/env bash
# Builds Qt for 64-bit Windows once, from Debian's sources of qtbase and
# qtimageformats, with the project's MinGW-w64 toolchain and Debian's host Qt
# tools, and keeps it in a cache outside the checkout:
#   ${PUMPSEL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pumpsel}/qt-<version>-mingw-w64-x86_64-posix-gcc<N>/
#     qt/        the installed Qt (CMAKE_PREFIX_PATH), with translations/qtbase_zh_CN.qm
#     complete   written last: a folder without it is built again
# Prints the Qt folder. The sources come through a private apt state; the
# machine's apt configuration is left alone.
set -euo pipefail

QT_VERSION=6.4.2
checkout=$(cd "$(dirname "$0")/../.." && pwd)
toolchain=$checkout/cmake/mingw-w64-x86_64.cmake
gcc_major=$(x86_64-w64-mingw32-g++-posix -dumpversion)
gcc_major=${gcc_major%%[.-]*}
cache=${PUMPSEL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pumpsel}
home=$cache/qt-$QT_VERSION-mingw-w64-x86_64-posix-gcc$gcc_major
qt=$home/qt
work=$home/work

if [ -f "$home/complete" ]; then
  echo "$qt"
  exit 0
fi

# Runs a step with its output in the work folder's log; the end of the log
# is shown when the script stops on a failure.
log=
step() { # NAME COMMAND...
  echo "[$(date +%T)] $1" >&2
  log=$work/$1.log
  shift
  "$@" >"$log" 2>&1
}
show_failed_step() {
  [ -n "$log" ] || return 0
  tail -n 40 "$log" >&2
  echo "failed; the whole log is $log" >&2
}
trap 'status=$?; [ $status -eq 0 ] || show_failed_step' EXIT

# The deb-src lines of the suites the machine installs from, read by an apt
# whose lists and archives live in the work folder.
apt_private() {
  local apt=$work/apt
  mkdir -p "$apt/state/lists/partial" "$apt/cache/archives/partial"
  local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  cat >"$apt/sources.list" <<EOF
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
EOF
  apt-get -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null \
    -o Dir::State="$apt/state" -o Dir::Cache="$apt/cache" "$@"
}

# Unpacks a Debian source package, with Debian's patches applied, into
# src/NAME; an unpack that did not finish is done again.
fetch_source() { # PACKAGE NAME
  local package=$1 dir=$work/src/$2
  [ -d "$dir" ] && return 0
  rm -rf "$work/download" "$dir.part"
  mkdir -p "$work/download" "$work/src"
  (cd "$work/download" && apt_private source --download-only "$package")
  local dsc
  dsc=$(echo "$work/download/${package}_$QT_VERSION"*.dsc)
  [ -f "$dsc" ] || { echo "no $package $QT_VERSION in Debian's sources" >&2; return 1; }
  dpkg-source -x "$dsc" "$dir.part"
  mv "$dir.part" "$dir"
}

configure_qtbase() {
  # Only what the program uses: Core, Gui, Widgets, PrintSupport with the PDF
  # writer, Test. opengl must be refused as an input, not only as a feature,
  # or dynamic GL stays on and the Windows platform plugin does not compile.
  # Debian's source lacks the tablet headers. Direct2D stays on: Qt builds its
  # DirectWrite font engine only with it, and PrintSupport calls that engine.
  rm -f "$work/build/qtbase/CMakeCache.txt"
  nice -n 15 cmake -S "$work/src/qtbase" -B "$work/build/qtbase" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DINPUT_opengl=no -DFEATURE_vulkan=OFF \
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_network=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_androiddeployqt=OFF
}

configure_qtimageformats() {
  rm -f "$work/build/qtimageformats/CMakeCache.txt"
  nice -n 15 cmake -S "$work/src/qtimageformats" -B "$work/build/qtimageformats" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
}

build_and_install() { # MODULE
  nice -n 15 cmake --build "$work/build/$1" -j "$(nproc)"
  cmake --install "$work/build/$1"
}

host_qt=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null || true)
if [[ $host_qt != "$QT_VERSION"* ]]; then
  echo "Debian's host Qt tools ($host_qt) are not Qt $QT_VERSION: install qt6-base-dev-tools" >&2
  exit 1
fi

start=$SECONDS
mkdir -p "$work"
rm -rf "$qt"
step update apt_private update
step source-qtbase fetch_source qt6-base qtbase
step source-qtimageformats fetch_source qt6-imageformats qtimageformats
step configure-qtbase configure_qtbase
step build-qtbase build_and_install qtbase
step configure-qtimageformats configure_qtimageformats
step build-qtimageformats build_and_install qtimageformats
# Qt's own Chinese texts (standard dialogs, buttons) serve Windows as they are.
step translations install -D -m 644 /usr/share/qt6/translations/qtbase_zh_CN.qm "$qt/translations/qtbase_zh_CN.qm"
touch "$home/complete"
log=
rm -rf "$work"
echo "[$(date +%T)] Qt $QT_VERSION for Windows built in $(((SECONDS - start) / 60)) min" >&2
echo "$qt"
