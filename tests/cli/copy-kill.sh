#!/bin/sh
# A move killed with SIGKILL at random moments loses nothing and leaves no
# half-written file under a target name.
#
#   tests/cli/copy-kill.sh PATH-TO-OCULANE-CLI
#
# The tree (300 small files in 10 folders and 6 files of 2 to 12 MB) lies on
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
src=$srcbase/tree
dest=$work/dest
mkdir -p "$src" "$dest"

fail() {
    echo "copy-kill: $*" >&2
    exit 1
}

i=0
while [ $i -lt 300 ]; do
    mkdir -p "$src/d$((i % 10))"
    head -c $((i * 37 % 6000 + 1)) /dev/urandom >"$src/d$((i % 10))/f$i"
    i=$((i + 1))
done
for n in 1 2 3 4 5 6; do
    head -c $((n * 2))M /dev/urandom >"$src/big$n"
done
(cd "$src" && find . -type f -exec md5sum {} +) | sort -k 2 >"$work/sums"
cut -d ' ' -f 3- "$work/sums" >"$work/names"
total=$(wc -l <"$work/sums")

check() {
    # Every original complete in the source or the target; a target present is complete.
    while read -r sum name; do
        found=
        for root in "$src" "$dest/tree"; do
            [ -e "$root/$name" ] || continue
            got=$(md5sum <"$root/$name" | cut -d ' ' -f 1)
            [ "$got" = "$sum" ] || fail "$1: $root/$name is not the original ($got)"
            found=1
        done
        [ -n "$found" ] || fail "$1: $name is lost"
    done <"$work/sums"
    # Nothing else under a target name; nothing new in the source.
    if [ -d "$dest/tree" ]; then
        (cd "$dest/tree" && find . -type f) | while read -r name; do
            grep -qxF "$name" "$work/names" && continue
            case ${name##*/} in
                .*.oculane-[A-Za-z0-9][A-Za-z0-9][A-Za-z0-9][A-Za-z0-9][A-Za-z0-9][A-Za-z0-9]) ;;
                *) fail "$1: unexpected $dest/tree/$name" ;;
            esac
        done
    fi
    if [ -d "$src" ]; then
        (cd "$src" && find . -type f) | while read -r name; do
            grep -qxF "$name" "$work/names" || fail "$1: unexpected $src/$name"
        done
    fi
}

seed=$$
round=1
for delay in $(awk -v seed="$seed" 'BEGIN { srand(seed); for (i = 0; i < 5; ++i) printf "%.3f ", 0.02 + rand() * 0.35 }'); do
    # Later rounds replace what an earlier one left complete in both places.
    overwrite=
    [ $round -gt 1 ] && overwrite=--overwrite=replace
    "$cli" copy --move $overwrite "$src" "$dest" 2>/dev/null &
    pid=$!
    sleep "$delay"
    kill -KILL $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
    check "round $round (killed after $delay s)"
    left=$(if [ -d "$src" ]; then find "$src" -type f | wc -l; else echo 0; fi)
    echo "round $round: killed after $delay s, $left of $total files still in the source"
    round=$((round + 1))
done

status=0
"$cli" copy --move --overwrite=replace "$src" "$dest" || status=$?
[ $status -eq 0 ] || fail "the last move ended with $status"
check "after the last move"
[ ! -e "$src" ] || fail "the source $src is still there"
echo "copy-kill: all $total files moved intact"
