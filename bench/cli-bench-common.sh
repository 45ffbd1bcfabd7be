# Shared start of the benchmarks that time oculane-cli convert against other
# tools on the decode benchmark's plasma. Sourced (`. "$here/cli-bench-common.sh"`)
# after setting `name` (for messages and the output folder) and `tools`
# ("command:package" pairs the script needs besides ImageMagick). Reads the
# script's arguments through cli-bench-args.sh; sets runs, cli, work, magick,
# in (the 6000x4000 PPM, made when missing) and out; defines best_of.
magick=convert-im6.q16
tools="$tools $magick:imagemagick"
. "$here/cli-bench-args.sh"

# The decode benchmark's plasma as a PPM; made here when that run has not.
mkdir -p "$work"
in=$work/plasma-24bit.ppm
if [ ! -s "$in" ]; then
    echo "$name: making $in (a minute or so)" >&2
    $magick -seed 7 -size 6000x4000 plasma:fractal -blur 0x2 -type TrueColor -depth 8 "PPM:$in.tmp"
    mv "$in.tmp" "$in"
fi
out=$work/${name%-bench}-out
mkdir -p "$out"

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
