#!/bin/sh
# Times the find and compare commands against the shell tools doing the same,
# best of N, on generated trees:
#   find     `oculane-cli find DIR --ext=jpg` against `find DIR -iname '*.jpg'`
#            in a tree of 100 000 entries (1 000 folders, 99 files each);
#   compare  `oculane-cli compare A B --by=name --ext=jpg` on two folders of
#            10 000 files against `sort | join` of their extension-stripped
#            names, and `--by=ext` (every file against every file).
#
#   bench/search-bench.sh [N] [--cli PATH] [--work DIR]
#
# N: runs per command, best kept (default 3). The trees are made under DIR
# (default /dev/shm, else bench/.work) and removed afterwards. oculane-cli
# comes from --cli, else $OCULANE_CLI, else build/oculane-cli.
set -e
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
name=search-bench
if [ -d /dev/shm ] && [ -w /dev/shm ]; then work=/dev/shm; fi
tools="python3 find sort join"
. "$here/cli-bench-args.sh"

mkdir -p "$work"
root=$(mktemp -d "$work/search-bench.XXXXXX")
trap 'rm -rf "$root"' EXIT INT TERM

# 10 x 100 folders of 99 files (a quarter of them JPEGs in mixed case), and
# two flat folders of 10 000 JPEGs whose names meet half the time, in mixed case.
python3 - "$root" <<'EOF'
import os, sys
root = sys.argv[1]
exts = ["jpg", "JPG", "png", "txt", "Jpg", "bmp", "gif", "tif"]
for a in range(10):
    for b in range(100):
        folder = os.path.join(root, "tree", "d%02d" % a, "e%03d" % b)
        os.makedirs(folder)
        for f in range(99):
            open(os.path.join(folder, "img%03d.%s" % (f, exts[(f + b) % len(exts)])), "w").close()
for side, start in (("A", 0), ("B", 5000)):
    folder = os.path.join(root, side)
    os.makedirs(folder)
    for i in range(start, start + 10000):
        stem = "photo%05d" % i
        if side == "B" and i % 3 == 0:
            stem = stem.upper()
        open(os.path.join(folder, stem + ".jpg"), "w").close()
EOF
entries=$(find "$root/tree" -mindepth 1 | wc -l)

# Best wall time and best processor time (user + system, children included)
# of one command, in seconds: "WALL CPU" ("fail" when it failed; CPU "-"
# without GNU time). On a busy machine the processor times compare better.
gnu_time=
if [ -x /usr/bin/time ] && /usr/bin/time -f %U true >/dev/null 2>&1; then gnu_time=/usr/bin/time; fi
best_of() {
    best=
    best_cpu=
    i=0
    while [ $i -lt "$runs" ]; do
        t0=$(date +%s.%N)
        if [ -n "$gnu_time" ]; then
            "$gnu_time" -f '%U %S' -o "$root/cpu.txt" "$@" >/dev/null 2>&1 || { echo fail fail; return; }
        else
            "$@" >/dev/null 2>&1 || { echo fail fail; return; }
        fi
        t1=$(date +%s.%N)
        best=$(awk -v a="$t0" -v b="$t1" -v best="$best" \
            'BEGIN { t = b - a; if (best == "" || t < best) best = t; printf "%.3f", best }')
        if [ -n "$gnu_time" ]; then
            best_cpu=$(awk -v best="$best_cpu" \
                '{ t = $1 + $2; if (best == "" || t < best) best = t; printf "%.3f", best }' "$root/cpu.txt")
        fi
        i=$((i + 1))
    done
    echo "$best ${best_cpu:--}"
}
ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (a == "fail" || b == "fail" || a == "-" || b == "-" || b == 0) print "-"; else printf "%.2f", a / b }'
}

# The results must agree before the times mean anything.
"$cli" find "$root/tree" --ext=jpg | sort > "$root/oc.txt"
find "$root/tree" -iname '*.jpg' | sort > "$root/find.txt"
if ! cmp -s "$root/oc.txt" "$root/find.txt"; then
    echo "$name: oculane-cli find and find disagree" >&2
    exit 1
fi
common=$("$cli" compare "$root/A" "$root/B" --by=name --ext=jpg | grep -c '^src' || true)

load_start=$(cut -d ' ' -f 1-3 /proc/loadavg)
set -- $(best_of "$cli" find "$root/tree" --ext=jpg); oc_find=$1 oc_find_cpu=$2
set -- $(best_of find "$root/tree" -iname '*.jpg'); sys_find=$1 sys_find_cpu=$2
set -- $(best_of "$cli" compare "$root/A" "$root/B" --by=name --ext=jpg); oc_name=$1 oc_name_cpu=$2
set -- $(best_of "$cli" compare "$root/A" "$root/B" --by=ext --ext=jpg); oc_ext=$1 oc_ext_cpu=$2
set -- $(best_of sh -c 'cd "$1" && ls A | sed "s/\.jpg\$//" | sort > a.txt && ls B | sed "s/\.jpg\$//" | sort > b.txt && join a.txt b.txt' sh "$root")
join_name=$1 join_name_cpu=$2

echo "search-bench on $work: $entries entries in the tree, $(wc -l < "$root/oc.txt") JPEGs; 2 x 10000 files, $common in common by name (case-sensitive)"
line() {
    printf '%-31s %8s %8s %6s %8s %8s %6s  %s\n' "$1" "$2" "$3" "$(ratio "$2" "$3")" "$4" "$5" "$(ratio "$4" "$5")" "$6"
}
printf '%-31s %8s %8s %6s %8s %8s %6s  %s\n' task oculane peer ratio 'oc. cpu' 'peer cpu' ratio target
line "find --ext=jpg / find -iname" "$oc_find" "$sys_find" "$oc_find_cpu" "$sys_find_cpu" "<= 1.50"
line "compare --by=name / sort|join" "$oc_name" "$join_name" "$oc_name_cpu" "$join_name_cpu" "<= 1.00, oculane <= 2 s"
line "compare --by=ext / sort|join" "$oc_ext" "$join_name" "$oc_ext_cpu" "$join_name_cpu" "oculane <= 2 s"
echo "runs: best of $runs (wall and processor time each); load average $load_start at the start, $(cut -d ' ' -f 1-3 /proc/loadavg) at the end"
