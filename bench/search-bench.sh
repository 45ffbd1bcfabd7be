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
runs=3
cli=${OCULANE_CLI:-$here/../build/oculane-cli}
if [ -d /dev/shm ] && [ -w /dev/shm ]; then work=/dev/shm; else work=$here/.work; fi
while [ $# -gt 0 ]; do
    case "$1" in
        --cli) cli=$2; shift 2 ;;
        --work) work=$2; shift 2 ;;
        -n) runs=$2; shift 2 ;;
        [0-9]*) runs=$1; shift ;;
        *) echo "$name: unknown argument $1" >&2; exit 2 ;;
    esac
done
for tool in python3 find sort join; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$name: missing tool: $tool" >&2
        exit 1
    fi
done
if [ ! -x "$cli" ]; then
    echo "$name: no oculane-cli at $cli (build it, or give --cli)" >&2
    exit 1
fi

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

# Best wall time of one command, in seconds ("fail" when it failed).
best_of() {
    best=
    i=0
    while [ $i -lt "$runs" ]; do
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

# The results must agree before the times mean anything.
"$cli" find "$root/tree" --ext=jpg | sort > "$root/oc.txt"
find "$root/tree" -iname '*.jpg' | sort > "$root/find.txt"
if ! cmp -s "$root/oc.txt" "$root/find.txt"; then
    echo "$name: oculane-cli find and find disagree" >&2
    exit 1
fi
common=$("$cli" compare "$root/A" "$root/B" --by=name --ext=jpg | grep -c '^src')

load_start=$(cut -d ' ' -f 1-3 /proc/loadavg)
oc_find=$(best_of "$cli" find "$root/tree" --ext=jpg)
sys_find=$(best_of find "$root/tree" -iname '*.jpg')
oc_name=$(best_of "$cli" compare "$root/A" "$root/B" --by=name --ext=jpg)
oc_ext=$(best_of "$cli" compare "$root/A" "$root/B" --by=ext --ext=jpg)
join_name=$(best_of sh -c 'cd "$1" && ls A | sed "s/\.jpg\$//" | sort > a.txt && ls B | sed "s/\.jpg\$//" | sort > b.txt && join a.txt b.txt' sh "$root")

echo "search-bench on $work: $entries entries in the tree, $(wc -l < "$root/oc.txt") JPEGs; 2 x 10000 files, $common in common by name (case-sensitive)"
printf '%-34s %9s %9s %7s %s\n' task oculane peer ratio target
printf '%-34s %9s %9s %7s %s\n' "find --ext=jpg / find -iname" "$oc_find" "$sys_find" "$(ratio "$oc_find" "$sys_find")" "<= 1.50"
printf '%-34s %9s %9s %7s %s\n' "compare --by=name / sort|join" "$oc_name" "$join_name" "$(ratio "$oc_name" "$join_name")" "<= 1.00, oculane <= 2 s"
printf '%-34s %9s %9s %7s %s\n' "compare --by=ext / sort|join" "$oc_ext" "$join_name" "$(ratio "$oc_ext" "$join_name")" "oculane <= 2 s"
echo "runs: best of $runs; load average $load_start at the start, $(cut -d ' ' -f 1-3 /proc/loadavg) at the end"
