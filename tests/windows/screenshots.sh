#!/usr/bin/env bash
# pumpsel-screenshots.exe under Wine renders every window into a PNG file,
# each at the size its picture in the README has (the windows have fixed
# sizes; the README's pictures come from the Linux build).
#   screenshots.sh WINE SCREENSHOTS_EXE README_PICTURES_DIR
set -euo pipefail
wine=$1
program=$2
pictures=$3
fail() { echo "FAIL: $*"; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

"$wine" "$program" "$("$wine" winepath -w "$out" 2>/dev/null | tr -d '\r')" >"$out/log" 2>&1 ||
  { cat "$out/log"; fail "pumpsel-screenshots.exe failed"; }
if grep -q "could not write" "$out/log"; then cat "$out/log"; fail "a window was not written"; fi
# Width and height, big-endian, at bytes 16 to 23 of a PNG.
size() { od -An -tx1 -j16 -N8 "$1" | tr -d ' \n'; }
count=0
for shot in "$out"/*.png; do
  [ -f "$shot" ] || break
  name=$(basename "$shot")
  [ "$(od -An -tx1 -N8 "$shot" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$name is no PNG"
  [ -f "$pictures/$name" ] || fail "the README has no picture $name"
  [ "$(size "$shot")" = "$(size "$pictures/$name")" ] ||
    fail "$name is $(size "$shot") (hex width, height), the README's $(size "$pictures/$name")"
  count=$((count + 1))
done
[ "$count" -gt 0 ] && [ "$count" = "$(grep -c '^wrote ' "$out/log")" ] ||
  { cat "$out/log"; fail "$count pictures for $(grep -c '^wrote ' "$out/log") windows said written"; }
echo "$count windows rendered at their sizes"
