#!/bin/sh
# A move killed with SIGKILL at random moments loses nothing and leaves no
# half-written file under a target name.
#
#   tests/cli/copy-kill.sh PATH-TO-OCULANE-CLI
#
# The tree (300 small files in 10 folders and 7 files of 3 to 21 MB, more than
# one batch of the sync before sources are deleted) lies on
# /dev/shm and moves to a folder under $TMPDIR when the two are different
# filesystems, so files are copied and their sources deleted after a sync; on
# one filesystem the move renames. After each kill every original file must be
# complete (same checksum) in the source or the target, nothing new may appear
# in the source, and the target may hold only complete files under their own
# names plus temporary files of the copy in flight, named
# ".NAME.oculane-XXXXXX" (six letters or digits). A last run without a kill
# must finish the move.
set -eu
cli=$1
base=${TMPDIR:-/tmp}
work=$(mktemp -d "$base/oculane-copy-kill.XXXXXX")
srcbase=$work/source
if [ -d /dev/shm ] && [ -w /dev/shm ] && [ "$(stat -c %d /dev/shm)" != "$(stat -c %d "$work")" ]; then
    srcbase=$(mktemp -d /dev/shm/oculane-copy-kill.XXXXXX)
fi
trap 'rm -rf "$work" "$srcbase"' EXIT
model=$srcbase/model
src=$srcbase/tree
dest=$work/dest
mkdir -p "$model" "$dest"

fail() {
    echo "copy-kill: $*" >&2
    exit 1
}

i=0
while [ $i -lt 300 ]; do
    mkdir -p "$model/d$((i % 10))"
    head -c $((i * 37 % 6000 + 1)) /dev/urandom >"$model/d$((i % 10))/f$i"
    i=$((i + 1))
done
for n in 1 2 3 4 5 6 7; do
    head -c $((n * 3))M /dev/urandom >"$model/big$n"
done
(cd "$model" && find . -type f -exec md5sum {} +) >"$work/sums"
total=$(wc -l <"$work/sums")

# Checksums of the files under a folder, "SUM  ./NAME" a line (none when it is gone).
sums_of() {
    if [ -d "$1" ]; then (cd "$1" && find . -type f -exec md5sum {} +); fi
}

check() {
    sums_of "$src" >"$work/now.src"
    sums_of "$dest/tree" >"$work/now.dest"
    awk -v what="$1" '
        FILENAME ~ /sums$/ { original[$2] = $1; next }
        FILENAME ~ /now.src$/ {
            if (!($2 in original)) { print what ": unexpected in the source: " $2; bad = 1 }
            else if (original[$2] != $1) { print what ": changed in the source: " $2; bad = 1 }
            else found[$2] = 1
            next
        }
        {
            if ($2 in original) {
                if (original[$2] != $1) { print what ": not the original in the target: " $2; bad = 1 }
                else found[$2] = 1
            } else {
                n = split($2, part, "/")
                if (part[n] !~ /^\..+\.oculane-[A-Za-z0-9][A-Za-z0-9][A-Za-z0-9][A-Za-z0-9][A-Za-z0-9][A-Za-z0-9]$/) {
                    print what ": unexpected in the target: " $2; bad = 1
                }
            }
        }
        END {
            for (name in original)
                if (!(name in found)) { print what ": lost: " name; bad = 1 }
            exit bad
        }' "$work/sums" "$work/now.src" "$work/now.dest" >&2 || exit 1
}

# Each round moves a fresh copy of the tree and kills the move at a random
# moment of its own slice of the first 0.4 s; the last round's leftovers are
# then moved to the end.
rounds=6
round=1
for delay in $(awk -v seed=$$ -v n=$rounds 'BEGIN { srand(seed); for (i = 0; i < n; ++i) printf "%.3f ", (i + rand()) * 0.4 / n + 0.005 }'); do
    rm -rf "$src" "$dest/tree"
    cp -a "$model" "$src"
    "$cli" copy --move "$src" "$dest" 2>/dev/null &
    pid=$!
    sleep "$delay"
    kill -KILL $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
    check "round $round (killed after $delay s)"
    left=$(if [ -d "$src" ]; then find "$src" -type f | wc -l; else echo 0; fi)
    echo "round $round: killed after $delay s, $left of $total files still in the source"
    round=$((round + 1))
done

# What the last kill left: moved to the end, over what is already complete in the target.
if [ -e "$src" ]; then
    status=0
    "$cli" copy --move --overwrite=replace "$src" "$dest" || status=$?
    [ $status -eq 0 ] || fail "the last move ended with $status"
fi
check "after the last move"
[ ! -e "$src" ] || fail "the source $src is still there"
echo "copy-kill: all $total files moved intact"
