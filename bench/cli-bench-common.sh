# Shared start of the benchmarks that time oculane-cli convert against other
# tools on the decode benchmark's plasma. Sourced (`. "$here/cli-bench-common.sh"`)
# after setting `name` (for messages and the output folder) and `tools`
# ("command:package" pairs the script needs besides ImageMagick). Reads the
# script's arguments through cli-bench-args.sh; sets runs, cli, work, magick,
# in (the 6000x4000 PPM, made when missing) and out; defines best_of, ratio
# and operation_rows.
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

# a / b to two decimals; "-" when either failed or b is zero.
ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (a == "fail" || b == "fail" || b == 0) print "-"; else printf "%.2f", a / b }'
}

# Reads rows "name|oculane operation|vips command after vips|ImageMagick
# options" on standard input and prints one timed line for each: oculane
# writing a file, oculane writing to standard output, vips, ImageMagick and
# the two ratios.
operation_rows() {
    printf '%-10s %9s %9s %9s %9s %12s %14s\n' operation oculane 'oc. -' vips magick oculane/vips magick/oculane
    while IFS='|' read -r row_name op vipsop magickop; do
        oc=$(best_of "$cli" convert "$in" "$out/oculane.pam" $op)
        ocp=$(best_of sh -c "\"\$0\" convert \"\$1\" - $op > \"\$2\"" "$cli" "$in" "$out/stdout.pam")
        vp=$(best_of vips $vipsop)
        im=$(best_of $magick "$in" $magickop "$out/magick.pam")
        printf '%-10s %9s %9s %9s %9s %12s %14s\n' "$row_name" "$oc" "$ocp" "$vp" "$im" "$(ratio "$oc" "$vp")" \
            "$(ratio "$im" "$oc")"
    done
}
