#!/usr/bin/env bash
# pumpsel-sheet.exe under Wine writes the selection sheet of a demo pump as
# PDF, with its Chinese text in fonts the PDF carries: poppler's pdftotext
# reads the heading, the maker and the pump back, and pdffonts lists the
# fonts embedded.
#   sheet.sh WINE SHEET_EXE CATALOGUE
set -euo pipefail
wine=$1
program=$2
catalogue=$3
fail() { echo "FAIL: $*"; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
winpath() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

"$wine" "$program" "$(winpath "$catalogue")" 立式管道离心泵 沅汀泵阀有限公司 16 50 30 --project 滨江花园住宅小区 \
  -o "$(winpath "$out")\\sheet.pdf" >"$out/log" 2>&1 || { cat "$out/log"; fail "pumpsel-sheet.exe failed"; }
text=$(pdftotext -enc UTF-8 "$out/sheet.pdf" -) || fail "pdftotext cannot read the sheet"
for words in 水泵选型计算书 滨江花园住宅小区 沅汀泵阀有限公司; do
  grep -q "$words" <<<"$text" || { echo "$text"; fail "the sheet does not say $words"; }
done
fonts=$(pdffonts "$out/sheet.pdf" | tail -n +3)
[ -n "$fonts" ] || fail "the sheet names no font"
if awk '$(NF-4) != "yes"' <<<"$fonts" | grep -q .; then echo "$fonts"; fail "a font is not embedded"; fi
echo "the sheet says its heading, project and maker, in embedded fonts"
