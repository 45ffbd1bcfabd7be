#!/bin/sh
# oculane-cli over the samples: every sample decodes, dump writes a PAM,
# convert applies operations and writes any writable format, usage errors exit 2.
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

# convert applies the operations in order; ops lists each with its arguments.
"$CLI" ops > "$TMP/ops.txt"
[ "$(wc -l < "$TMP/ops.txt")" -ge 13 ] || exit 1
grep -q "^--rotate=DEG" "$TMP/ops.txt" || exit 1
"$CLI" convert "$first" "$TMP/turned.pam" --rotate-cw --add-borders=2,4,0,2,px,ff0000
w=$("$CLI" info "$first" | cut -f 4)
h=$("$CLI" info "$first" | cut -f 3)
head -c 64 "$TMP/turned.pam" | grep -q "^WIDTH $((w + 2))\$" || exit 1
head -c 64 "$TMP/turned.pam" | grep -q "^HEIGHT $((h + 4))\$" || exit 1

# convert writes the format its extension names, in any case, with the
# options of the dialogs.
"$CLI" convert "$first" "$TMP/c.PNG" --interlace
head -c 4 "$TMP/c.PNG" | grep -q PNG || exit 1
"$CLI" convert "$first" "$TMP/c.jpg" --quality=90 --progressive --flip-both
head -c 3 "$TMP/c.jpg" | od -An -tx1 | grep -q "ff d8 ff" || exit 1
"$CLI" convert "$first" "$TMP/c.tga" --rle --depth=24
[ "$("$CLI" info "$TMP/c.tga" | cut -f 2,5)" = "TGA	24" ] || exit 1

set +e
# A failed write leaves the old file as it was.
cp "$TMP/c.tga" "$TMP/old.tga"
"$CLI" convert "$first" "$TMP/c.tga" --resize=70000x1 2> "$TMP/err.txt"; [ $? -eq 1 ] || exit 1
grep -q "too large" "$TMP/err.txt" || exit 1
cmp -s "$TMP/c.tga" "$TMP/old.tga" || exit 1
"$CLI" convert "$first" "$TMP/c.xyz" 2> /dev/null; [ $? -eq 2 ] || exit 1
"$CLI" convert "$first" "$TMP/c.png" --quality=50 2> /dev/null; [ $? -eq 2 ] || exit 1
"$CLI" convert "$first" "$TMP/c.bmp" --depth=32 2> /dev/null; [ $? -eq 2 ] || exit 1
"$CLI" convert "$first" "$TMP/c.tif" --compression=zip 2> /dev/null; [ $? -eq 2 ] || exit 1
"$CLI" convert "$first" "$TMP/c.pam" --rotate=360 2> /dev/null; [ $? -eq 2 ] || exit 1
"$CLI" convert "$first" "$TMP/c.pam" --frobnicate 2> /dev/null; [ $? -eq 2 ] || exit 1
"$CLI" convert "$first" "$TMP/c.pam" --crop-by-value=4000,0 2> "$TMP/err.txt"; [ $? -eq 1 ] || exit 1
grep -q "Can't crop image." "$TMP/err.txt" || exit 1
[ ! -e "$TMP/c.pam" ] || exit 1
"$CLI" formats extra 2> /dev/null; [ $? -eq 2 ] || exit 1
"$CLI" info "$TMP/missing.bmp" > /dev/null; [ $? -eq 1 ] || exit 1
"$CLI" frobnicate 2> /dev/null; [ $? -eq 2 ] || exit 1
"$CLI" 2> /dev/null; [ $? -eq 2 ] || exit 1
"$CLI" dump "$first" 2> /dev/null; [ $? -eq 2 ] || exit 1
# delete removes a tree but not what its links name; a missing path exits 1 with its reason.
mkdir -p "$TMP/del/sub" "$TMP/kept" && touch "$TMP/del/sub/f" "$TMP/kept/k" && ln -s "$TMP/kept" "$TMP/del/sub/link"
"$CLI" delete "$TMP/del" && [ ! -e "$TMP/del" ] && [ -e "$TMP/kept/k" ] || exit 1
"$CLI" delete "$TMP/del" 2> "$TMP/err.txt"; [ $? -eq 1 ] || exit 1
grep -q "del: No such file or directory" "$TMP/err.txt" || exit 1
"$CLI" delete --trash 2> /dev/null; [ $? -eq 2 ] || exit 1
exit 0
