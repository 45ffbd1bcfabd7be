#!/bin/sh
# The program as a user starts it: on samples/, in both modes, and on bad
# arguments. Each screenshot must be a PNG of the requested size.
set -eu
app=$1
samples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen OCULANE_CONFIG_DIR="$work/config"

png_size() {
    # Width and height from the IHDR chunk.
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'
}

"$app" --screenshot "$work/browser.png" --size 800x600 "$samples/jpeg-colour.jpg"
[ "$(png_size "$work/browser.png")" = 800x600 ] || { echo "browser screenshot has the wrong size"; exit 1; }

"$app" --screenshot "$work/viewer.png" --viewer --size 640x480 "$samples/png-rgba-gradient.png"
[ "$(png_size "$work/viewer.png")" = 640x480 ] || { echo "viewer screenshot has the wrong size"; exit 1; }

"$app" --screenshot "$work/folder.png" "$samples"
[ -s "$work/folder.png" ] || { echo "no screenshot of the folder"; exit 1; }

# A command that opens a dialog shows the dialog, and does not wait in it.
timeout 60 "$app" --screenshot "$work/dialog.png" --command 32785 "$samples" || { echo "a dialog command did not end"; exit 1; }
[ -s "$work/dialog.png" ] || { echo "no screenshot of the dialog"; exit 1; }
timeout 60 "$app" --screenshot "$work/after.png" --size 640x480 --command 32785 --command 232 "$samples" ||
    { echo "a command after a dialog did not run"; exit 1; }
[ "$(png_size "$work/after.png")" = 640x480 ] || { echo "the window was not shot after the dialog closed"; exit 1; }

# A file in a folder that does not exist ends the program with an error.
if "$app" --screenshot "$work/none.png" "$work/missing/x.bmp" 2>/dev/null; then
    echo "a missing folder did not end the program"; exit 1
fi
[ ! -e "$work/none.png" ] || { echo "a screenshot was written for a missing folder"; exit 1; }

# Usage errors exit 2.
set +e
"$app" --size 5x5 >/dev/null 2>&1; [ $? -eq 2 ] || { echo "bad --size accepted"; exit 1; }
"$app" --bogus >/dev/null 2>&1; [ $? -eq 2 ] || { echo "unknown option accepted"; exit 1; }
"$app" --screenshot "$work/c.png" --command 24 "$samples" >/dev/null 2>&1; [ $? -eq 2 ] || { echo "unknown command id accepted"; exit 1; }
echo "screenshots ok"
