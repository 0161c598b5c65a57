#!/bin/sh
# pumpsel-ini writing to a console: Chinese text shows as itself, on stdout
# and on stderr. Wine gives a program started on a terminal a console that
# shows on that terminal; script(1) is the terminal and keeps what it shows.
# usage: console_output.sh WINE PUMPSEL_INI_EXE
set -eu
wine=$1 tool=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/txt"
printf '[1]\r\nk=\263\247\274\322\r\n' >"$dir/a.dat"                # k=厂家 in GBK
printf '[\326\326\300\340]\r\n1=pump\r\n' >"$dir/txt/bump.dat"    # [种类] 1=pump
# The terminal's control sequences and carriage returns left out.
shown=$(script -qc "'$wine' '$tool' get '$dir/a.dat' 1 k; '$wine' '$tool' search '$dir' 没有的泵 1 1" /dev/null </dev/null |
  sed 's/\x1b\[[0-9;?]*[A-Za-z]//g; s/\x1b\][^\x07]*\x07//g' | tr -d '\r')
expected='厂家
pumpsel-ini: search: the catalogue has no kind "没有的泵"'
if [ "$shown" != "$expected" ]; then
  printf 'The console showed:\n%s\ninstead of:\n%s\n' "$shown" "$expected"
  exit 1
fi
