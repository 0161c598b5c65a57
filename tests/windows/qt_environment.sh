#!/bin/sh
# Wine hands no QT_ variable of the Unix environment to Windows programs, so
# Qt's settings for the programs of a Wine prefix go into the prefix's user
# environment, which every program started in it then has.
#   qt_environment.sh WINE NAME=VALUE...
set -eu
wine=$1
shift
for setting in "$@"; do
  "$wine" reg add 'HKCU\Environment' /v "${setting%%=*}" /t REG_SZ /d "${setting#*=}" /f >/dev/null 2>&1 ||
    { echo "FAIL: could not set ${setting%%=*} in the Wine prefix"; exit 1; }
done
# The next program of the prefix may need a display it has not met yet (on_display.sh).
wineserver -w
