# Sourced by the package checks: the line a started program logs when its
# selection window has opened a catalogue, "pumpsel.start: catalogue DIR
# with N kinds".
#   start_line LOG PID TENTHS
# Waits up to TENTHS tenths of a second for the line in LOG, stops the
# program PID, and prints the line without its CR; fails when none came.
# Called in $(...), it cannot wait for the program: the caller does.
start_line() {
  local log=$1 pid=$2 tenths=$3
  for _ in $(seq "$tenths"); do
    grep -q "^pumpsel.start: catalogue" "$log" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  grep "^pumpsel.start: catalogue" "$log" | tr -d '\r'
}
