#!/bin/sh
# Times the file jobs of oculane-cli against the system's tools, best of N, on
# tmpfs (/dev/shm) and on disk (bench/.work, or --work DIR):
#   copy   a tree of 2000 files of mixed sizes (about 1 GB)  vs cp -r  (target <= 1.10)
#   move   the same tree within one filesystem               vs mv     (target <= 1.10)
#          and 2000 files of one folder, name by name (mv dir/* dest/)
#   delete 10 000 small files in 100 folders                 vs rm -r  (target <= 1.20)
# The tree is made once per place; everything but the timed command (making
# the tree again, removing a copy, moving back, `sync`) stays out of the times.
#
#   bench/jobs-bench.sh [N] [--cli PATH] [--work DIR]
#
# N: runs per tool and case, best kept (default 3). OCULANE_JOBS_BENCH_MB sets
# the tree's size in MB (default 1024) for a quicker run. oculane-cli comes from
# --cli, else $OCULANE_CLI, else build/oculane-cli.
set -e
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
name=jobs-bench
tools="python3 cp mv rm"
. "$here/cli-bench-args.sh"
megabytes=${OCULANE_JOBS_BENCH_MB:-1024}

# Best wall time of a command, in seconds ("fail" when it failed); the
# preparation command runs untimed before each run.
best_of() {
    prepare=$1
    shift
    best=
    i=0
    while [ $i -lt "$runs" ]; do
        sh -c "$prepare" >/dev/null 2>&1 || { echo fail; return; }
        t0=$(date +%s.%N)
        "$@" >/dev/null 2>&1 || { echo fail; return; }
        t1=$(date +%s.%N)
        best=$(awk -v a="$t0" -v b="$t1" -v best="$best" \
            'BEGIN { t = b - a; if (best == "" || t < best) best = t; printf "%.3f", best }')
        i=$((i + 1))
    done
    echo "$best"
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (a == "fail" || b == "fail" || b == 0) print "-"; else printf "%.2f", a / b }'
}

# A tree of 2000 files: 1900 small ones (1 to 64 KB) and 100 large ones sharing
# the rest of the size, in 40 folders two levels deep.
make_tree() {
    python3 - "$1" "$megabytes" <<'EOF'
import os, random, sys
root, total = sys.argv[1], int(sys.argv[2]) << 20
rng = random.Random(7)
block = os.urandom(1 << 20)
small = [rng.randint(1024, 65536) for _ in range(1900)]
large_each = max(0, (total - sum(small)) // 100)
sizes = small + [large_each] * 100
rng.shuffle(sizes)
for i, size in enumerate(sizes):
    folder = os.path.join(root, "a%d" % (i % 8), "b%d" % (i % 5))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "f%04d.dat" % i), "wb") as out:
        while size > 0:
            out.write(block[: min(size, len(block))])
            size -= len(block)
EOF
}

make_small() {
    python3 - "$1" <<'EOF'
import os, sys
root = sys.argv[1]
for d in range(100):
    folder = os.path.join(root, "d%02d" % d)
    os.makedirs(folder, exist_ok=True)
    for f in range(100):
        with open(os.path.join(folder, "f%03d" % f), "wb") as out:
            out.write(b"x" * (f * 13))
EOF
}

load_start=$(cut -d ' ' -f 1-3 /proc/loadavg)
printf '%-14s %-8s %9s %9s %7s %7s\n' case place oculane tool ratio target
place() {
    label=$1
    dir=$2
    kind=$(stat -f -c %T "$dir")
    tree=$dir/tree
    out=$dir/out
    rm -rf "$tree" "$out" "$dir/small" "$dir/small.model"
    mkdir -p "$out"
    make_tree "$tree"
    size=$(du -sm "$tree" | cut -f 1)

    oc=$(best_of "rm -rf '$out/tree'; sync" "$cli" copy "$tree" "$out")
    tl=$(best_of "rm -rf '$out/tree'; sync" cp -r "$tree" "$out/")
    rm -rf "$out/tree"
    printf '%-14s %-8s %9s %9s %7s %7s\n' "copy ${size}MB" "$label" "$oc" "$tl" "$(ratio "$oc" "$tl")" 1.10

    oc=$(best_of "[ -e '$tree' ] || mv '$out/tree' '$dir/'" "$cli" copy --move "$tree" "$out")
    tl=$(best_of "[ -e '$tree' ] || mv '$out/tree' '$dir/'" mv "$tree" "$out/")
    [ -e "$tree" ] || mv "$out/tree" "$dir/"
    printf '%-14s %-8s %9s %9s %7s %7s\n' "move" "$label" "$oc" "$tl" "$(ratio "$oc" "$tl")" 1.10

    # The same, file by file: 2000 names moved out of one folder.
    mkdir -p "$dir/flat" "$dir/flat.out"
    (cd "$dir/flat" && seq -f 'f%04g.jpg' 2000 | xargs touch)
    back="cd '$dir'; [ -z \"\$(ls flat.out)\" ] || mv flat.out/* flat/"
    oc=$(best_of "$back" sh -c "cd '$dir' && '$cli' copy --move flat/* flat.out")
    tl=$(best_of "$back" sh -c "cd '$dir' && mv flat/* flat.out/")
    rm -rf "$dir/flat" "$dir/flat.out"
    printf '%-14s %-8s %9s %9s %7s %7s\n' "move 2000" "$label" "$oc" "$tl" "$(ratio "$oc" "$tl")" 1.10

    make_small "$dir/small.model"
    oc=$(best_of "rm -rf '$dir/small'; cp -r '$dir/small.model' '$dir/small'; sync" "$cli" delete "$dir/small")
    tl=$(best_of "rm -rf '$dir/small'; cp -r '$dir/small.model' '$dir/small'; sync" rm -r "$dir/small")
    printf '%-14s %-8s %9s %9s %7s %7s\n' "delete 10000" "$label" "$oc" "$tl" "$(ratio "$oc" "$tl")" 1.20
    rm -rf "$tree" "$out" "$dir/small" "$dir/small.model"
    echo "  ($label: $dir, $kind)"
}

shm=
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    shm=$(mktemp -d /dev/shm/oculane-jobs-bench.XXXXXX)
fi
mkdir -p "$work"
disk=$(mktemp -d "$work/jobs-bench.XXXXXX")
trap 'rm -rf "$shm" "$disk"' EXIT
[ -n "$shm" ] && place tmpfs "$shm"
place disk "$disk"
echo "runs: best of $runs; load average $load_start at the start, $(cut -d ' ' -f 1-3 /proc/loadavg) at the end"
echo "ratio: oculane / tool; oculane copies each file to a temporary name and renames it into place, keeping mode and time"
