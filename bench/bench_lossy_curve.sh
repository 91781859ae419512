#!/usr/bin/env bash
# Lossy optimisation as a curve: bytes against the mean PSNR of the composed
# frames, `reelix-tool optimize --lossy=N` beside `gifsicle -O3 --lossy=N` for
# a sweep of N, per file and in total, in one run. Then, per file and in
# total, our bytes at the PSNR gifsicle reaches with --lossy=80 (read off our
# curve between its two nearest points, bytes interpolated on a log scale),
# over gifsicle's bytes there. Writes the curves as an SVG picture.
#
# The files: the mixed corpus (bench/make_corpus.sh) and, when the shared test
# data is there, its larger animations (photographs, a recording).
#
# usage: bench/bench_lossy_curve.sh [BUILD_DIR] [SVG_FILE]
#        (defaults: build, BUILD_DIR/bench/lossy-curve.svg)
#        LOSSY_LEVELS="20 40 ..." sets the sweep; OURS_OPTIONS="--best" adds
#        options to our side.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
svg=${2:-$build/bench/lossy-curve.svg}
tool=$build/bin/reelix-tool
data=$here/../../shared/testdata/gif
[ -x "$tool" ] || { echo "no reelix-tool in $build/bin" >&2; exit 1; }
for peer in gifsicle ffmpeg convert; do
    command -v "$peer" >/dev/null || { echo "$peer is needed" >&2; exit 1; }
done
levels=${LOSSY_LEVELS:-"20 40 60 80 100 140 200"}
# A plain string: measure runs in child shells, where arrays do not reach.
export OURS_OPTIONS=${OURS_OPTIONS:-}
reference=80

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/out"
"$here/make_corpus.sh" "$work/corpus" >/dev/null
for f in pillow/iss634.gif wuffs/gifplayer-muybridge.gif libnsgif/waves.gif; do
    [ -f "$data/$f" ] && cp "$data/$f" "$work/corpus/shared-${f//\//-}"
done

# One measurement: "tool level file bytes frames meanPSNR".
measure() {  # tool level file
    local who=$1 level=$2 f=$3 name out
    name=$(basename "$f" .gif)
    out=$work/out/$who-$level-$name.gif
    if [ "$who" = ours ]; then
        local options
        read -r -a options <<<"$OURS_OPTIONS"
        "$tool" optimize --lossy="$level" ${options[@]+"${options[@]}"} "$f" "$out" >/dev/null 2>&1 || return 0
    else
        gifsicle -O3 --lossy="$level" "$f" -o "$out" 2>/dev/null || return 0
    fi
    "$tool" compare "$f" "$out" |
        awk -v w="$who" -v l="$level" -v n="$name" -v b="$(stat -c %s "$out")" \
            '/^frames/ {f=$2} /^mean PSNR/ {p=$3} END {print w, l, n, b, f, p}'
    rm -f "$out"
}
export -f measure
export tool work
jobs=()
for f in "$work"/corpus/*.gif; do
    for level in $levels; do jobs+=("ours $level $f" "gifsicle $level $f"); done
done
printf '%s\n' "${jobs[@]}" | xargs -P 2 -L 1 bash -c 'measure "$@"' _ > "$work/points"

# Per file and in total (PSNR weighted by frames), then the ratio at the
# reference PSNR, and the picture.
sort -k1,1 -k3,3 -k2,2n "$work/points" | awk -v ref="$reference" -v svg="$svg" '
function interp_bytes(who, file, target,   i, lo, hi, pl, ph, bl, bh) {
    # our bytes at PSNR `target`: the two points around it, or the nearest end
    lo = -1; hi = -1
    for (i = 1; i <= cnt[who, file]; i++) {
        p = psnr[who, file, i]
        if (p >= target && (lo < 0 || p < psnr[who, file, lo])) lo = i
        if (p <= target && (hi < 0 || p > psnr[who, file, hi])) hi = i
    }
    if (lo < 0) lo = hi
    if (hi < 0) hi = lo
    pl = psnr[who, file, lo]; ph = psnr[who, file, hi]
    bl = bytes[who, file, lo]; bh = bytes[who, file, hi]
    if (pl == ph) return bl
    return exp(log(bl) + (log(bh) - log(bl)) * (target - pl) / (ph - pl))
}
{
    who = $1; level = $2; file = $3
    i = ++cnt[who, file]
    lvl[who, file, i] = level; bytes[who, file, i] = $4; psnr[who, file, i] = $6
    files[file] = 1
    tb[who, level] += $4; tf[who, level] += $5; tp[who, level] += $5 * $6
    levels[level] = 1
    if (who == "ours") fr[file] = $5
}
END {
    n = 0
    for (f in files) order[++n] = f
    for (i = 2; i <= n; i++) for (j = i; j > 1 && order[j] < order[j - 1]; j--) { t = order[j]; order[j] = order[j - 1]; order[j - 1] = t }
    m = 0
    for (l in levels) lv[++m] = l + 0
    for (i = 2; i <= m; i++) for (j = i; j > 1 && lv[j] < lv[j - 1]; j--) { t = lv[j]; lv[j] = lv[j - 1]; lv[j - 1] = t }

    printf "%-44s %6s %10s %7s %10s %7s\n", "file", "lossy", "ours", "PSNR", "gifsicle", "PSNR"
    for (k = 1; k <= n; k++) {
        f = order[k]
        for (i = 1; i <= cnt["ours", f]; i++)
            printf "%-44s %6d %10d %7.2f %10d %7.2f\n", f, lvl["ours", f, i], bytes["ours", f, i], psnr["ours", f, i], bytes["gifsicle", f, i], psnr["gifsicle", f, i]
    }
    for (i = 1; i <= m; i++) {
        l = lv[i]
        cnt["ours", "TOTAL"]++; cnt["gifsicle", "TOTAL"]++
        bytes["ours", "TOTAL", i] = tb["ours", l]; psnr["ours", "TOTAL", i] = tp["ours", l] / tf["ours", l]
        bytes["gifsicle", "TOTAL", i] = tb["gifsicle", l]; psnr["gifsicle", "TOTAL", i] = tp["gifsicle", l] / tf["gifsicle", l]
        lvl["ours", "TOTAL", i] = l
        printf "%-44s %6d %10d %7.2f %10d %7.2f\n", "TOTAL", l, tb["ours", l], tp["ours", l] / tf["ours", l], tb["gifsicle", l], tp["gifsicle", l] / tf["gifsicle", l]
    }

    printf "\nours at the mean PSNR of gifsicle -O3 --lossy=%d\n", ref
    printf "%-44s %7s %10s %10s %6s\n", "file", "PSNR", "gifsicle", "ours", "ratio"
    order[n + 1] = "TOTAL"
    for (k = 1; k <= n + 1; k++) {
        f = order[k]
        for (i = 1; i <= cnt["gifsicle", f]; i++) if (lvl["gifsicle", f, i] == ref || (f == "TOTAL" && lv[i] == ref)) g = i
        target = psnr["gifsicle", f, g]
        ours = interp_bytes("ours", f, target)
        printf "%-44s %7.2f %10d %10.0f %6.3f\n", f, target, bytes["gifsicle", f, g], ours, ours / bytes["gifsicle", f, g]
        if (f != "TOTAL") { sum_ours += ours; sum_gs += bytes["gifsicle", f, g] }
    }
    printf "%-44s %7s %10d %10.0f %6.3f\n", "sum of the files at their own PSNR", "", sum_gs, sum_ours, sum_ours / sum_gs

    # The picture: one panel per file and one for the total, bytes (log) against PSNR.
    cols = 4; pw = 300; ph = 220; pad = 50
    rows = int((n + 1 + cols - 1) / cols)
    W = cols * pw; H = rows * ph + 40
    print "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" W "\" height=\"" H "\" font-family=\"sans-serif\" font-size=\"10\">" > svg
    print "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>" > svg
    print "<text x=\"10\" y=\"20\" font-size=\"14\">Bytes (log scale) against mean PSNR of the composed frames: reelix (blue) and gifsicle -O3 (red), --lossy=" lv[1] ".." lv[m] "</text>" > svg
    for (k = 1; k <= n + 1; k++) {
        f = order[k]
        ox = ((k - 1) % cols) * pw; oy = 40 + int((k - 1) / cols) * ph
        pmin = 1e9; pmax = -1e9; bmin = 1e18; bmax = 0
        for (w = 0; w < 2; w++) {
            who = w ? "gifsicle" : "ours"
            for (i = 1; i <= cnt[who, f]; i++) {
                if (psnr[who, f, i] < pmin) pmin = psnr[who, f, i]
                if (psnr[who, f, i] > pmax) pmax = psnr[who, f, i]
                if (bytes[who, f, i] < bmin) bmin = bytes[who, f, i]
                if (bytes[who, f, i] > bmax) bmax = bytes[who, f, i]
            }
        }
        if (pmax - pmin < 0.5) { pmax += 0.25; pmin -= 0.25 }
        if (bmax <= bmin * 1.01) { bmax *= 1.01; bmin /= 1.01 }
        printf "<g transform=\"translate(%d,%d)\"><rect x=\"%d\" y=\"10\" width=\"%d\" height=\"%d\" fill=\"none\" stroke=\"#999\"/>\n", ox, oy, pad, pw - pad - 10, ph - pad - 10 > svg
        printf "<text x=\"%d\" y=\"8\">%s</text>\n", pad, f > svg
        printf "<text x=\"%d\" y=\"%d\">%.1f dB</text><text x=\"%d\" y=\"%d\" text-anchor=\"end\">%.1f dB</text>\n", pad, ph - pad + 12, pmin, pw - 10, ph - pad + 12, pmax > svg
        printf "<text x=\"%d\" y=\"20\" text-anchor=\"end\">%.0fK</text><text x=\"%d\" y=\"%d\" text-anchor=\"end\">%.0fK</text>\n", pad - 2, bmax / 1024, pad - 2, ph - pad, bmin / 1024 > svg
        for (w = 0; w < 2; w++) {
            who = w ? "gifsicle" : "ours"; colour = w ? "#d62728" : "#1f77b4"
            pts = ""
            for (i = 1; i <= cnt[who, f]; i++) {
                x = pad + (psnr[who, f, i] - pmin) / (pmax - pmin) * (pw - pad - 10)
                y = 10 + (log(bmax) - log(bytes[who, f, i])) / (log(bmax) - log(bmin)) * (ph - pad - 10)
                pts = pts sprintf("%.1f,%.1f ", x, y)
                printf "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"2.5\" fill=\"%s\"/>\n", x, y, colour > svg
            }
            printf "<polyline points=\"%s\" fill=\"none\" stroke=\"%s\"/>\n", pts, colour > svg
        }
        print "</g>" > svg
    }
    print "</svg>" > svg
}'
echo
echo "curves: $svg"
