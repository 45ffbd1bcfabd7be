#!/bin/sh
# oculane-cli over the samples: every sample decodes, dump writes a PAM,
# usage errors exit 2.
set -e
CLI="$1"
SAMPLES="$2"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

"$CLI" info "$SAMPLES"/*.bmp > "$TMP/info.txt"
if grep -q "	error	" "$TMP/info.txt"; then
    cat "$TMP/info.txt"
    exit 1
fi
first=$(ls "$SAMPLES"/*.bmp | head -n 1)
"$CLI" dump "$first" "$TMP/out.pam"
head -c 2 "$TMP/out.pam" | grep -q P7
"$CLI" dump "$first" - | head -c 2 | grep -q P7

# The format table: every format once, each readable.
"$CLI" formats > "$TMP/formats.txt"
[ "$(wc -l < "$TMP/formats.txt")" -eq 17 ] || exit 1
[ "$(grep -c "	read	" "$TMP/formats.txt")" -eq 17 ] || exit 1
grep -q "^PNM	pbm,pgm,ppm	" "$TMP/formats.txt" || exit 1

set +e
"$CLI" formats extra 2> /dev/null; [ $? -eq 2 ] || exit 1
"$CLI" info "$TMP/missing.bmp" > /dev/null; [ $? -eq 1 ] || exit 1
"$CLI" frobnicate 2> /dev/null; [ $? -eq 2 ] || exit 1
"$CLI" 2> /dev/null; [ $? -eq 2 ] || exit 1
"$CLI" dump "$first" 2> /dev/null; [ $? -eq 2 ] || exit 1
exit 0
