#!/usr/bin/env bash
# Starts a program on the X display of its environment (run it under
# xvfb-run) and, once it shows a window, prints the X11 class of each of its
# windows that has one, one a line. Exit 1 when no window shows in 10 s.
#   window_classes.sh PROGRAM
set -euo pipefail
"$1" >/dev/null 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  # xwininfo names each window's instance and class: ("pumpsel" "pumpsel").
  classes=$(xwininfo -root -tree | { grep -oE '\("[^"]*" "[^"]*"\)' || true; } |
            sed -E 's/^\("[^"]*" "([^"]*)"\)$/\1/')
  [ -n "$classes" ] && { echo "$classes"; exit 0; }
  sleep 0.1
done
exit 1
