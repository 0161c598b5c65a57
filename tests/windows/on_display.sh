#!/bin/sh
# Runs a command under Wine on a virtual X display of its own (Xvfb). Wine's
# desktop process keeps the display it first met for its whole prefix, so
# the prefix serves one display at a time: its programs are waited for
# before the display goes.
#   on_display.sh COMMAND...
set -eu
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '"$@"; status=$?; wineserver -w; exit $status' sh "$@"
