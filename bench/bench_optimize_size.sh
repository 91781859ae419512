#!/usr/bin/env bash
# File sizes after frame optimisation: `reelix-tool optimize` (all techniques)
# against gifsicle -O2 and -O3 on the same corpus: the animations of the shared
# test data, animations made here with ffmpeg's test sources, and the mixed
# corpus of bench/make_corpus.sh (ffmpeg, ImageMagick and gifsicle animations;
# all made at run time in a temporary folder, never kept). "ratio" is ours
# over gifsicle -O3; "best" is ours with --best (the slower LZW encoder that
# looks a string ahead), "b.ratio" that over gifsicle -O3. Then the lossy mode (--lossy=80 on both sides, sizes and
# mean PSNR against the input), and the time to optimise a 300-frame 640x480
# animation, ours beside gifsicle -O3. gifdiff -w checks that our output
# shows what the input shows ("same" column: yes; loop = only the loop count
# differs (a one-frame result has none and no delay; a file with loop counts on
# several frames keeps the first, gifdiff reads the last); screen = the reader
# grew the screen of a file whose frames stick out; NO = a difference).
#
# usage: bench/bench_optimize_size.sh [BUILD_DIR]   (default: build)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
tool=$build/bin/reelix-tool
data=$here/../../shared/testdata/gif
[ -x "$tool" ] || { echo "no reelix-tool in $build/bin (build the reelix-tool target)" >&2; exit 1; }
for peer in gifsicle gifdiff ffmpeg convert; do
    command -v "$peer" >/dev/null || { echo "$peer is needed" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/out"

# --- corpus -------------------------------------------------------------------
# Multi-frame files of the shared data that gifsicle reads cleanly (the fuzz
# seeds are left out: they measure nothing about size).
if [ -d "$data" ]; then
    while IFS= read -r f; do
        case "$f" in */afl/*) continue ;; esac
        frames=$(gifsicle --info "$f" 2>/dev/null | sed -n '1s/.* \([0-9]*\) images*$/\1/p')
        [ "${frames:-0}" -gt 1 ] || continue
        gifsicle --info "$f" >/dev/null 2>&1 || continue
        rel=${f#"$data"/}
        cp "$f" "$work/corpus/${rel//\//_}"
    done < <(find "$data" -name '*.gif' | sort)
fi

# ffmpeg test sources: a global palette per file (palettegen/paletteuse, whole
# frames) and ffmpeg's own encoder (which already trims and makes repeated
# pixels transparent).
make_gif() {  # name source size frames mode
    local name=$1 source=$2 size=$3 frames=$4 mode=$5 extra=""
    [ "$source" = mandelbrot ] && extra=":maxiter=512"
    local input="$source=size=$size:rate=10$extra,trim=end_frame=$frames"
    if [ "$mode" = palette ]; then
        ffmpeg -hide_banner -loglevel error -f lavfi -i "$input" \
            -vf "split[a][b];[a]palettegen[p];[b][p]paletteuse" -gifflags 0 -y "$work/corpus/$name.gif"
    else
        ffmpeg -hide_banner -loglevel error -f lavfi -i "$input" -y "$work/corpus/$name.gif"
    fi
}
for source in testsrc testsrc2 smptebars mandelbrot; do
    make_gif "ff-$source-320x240-palette" $source 320x240 60 palette
    make_gif "ff-$source-640x480-palette" $source 640x480 30 palette
    make_gif "ff-$source-320x240-plain" $source 320x240 45 plain
done

# The mixed corpus (its single pictures are left out: nothing to optimise between frames).
"$here/make_corpus.sh" "$work/mixed" >/dev/null
for f in "$work"/mixed/*.gif; do
    case "$f" in *im-photo-*) continue ;; esac
    cp "$f" "$work/corpus/"
done

# --- measure ------------------------------------------------------------------
size() { stat -c %s "$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.3f", a / b; else print "-" }'; }

printf '%-58s %10s %10s %10s %10s %10s %6s %7s %5s\n' file input ours best "gs -O2" "gs -O3" ratio b.ratio same
total_in=0 total_ours=0 total_best=0 total_o2=0 total_o3=0 failed=0
for f in "$work"/corpus/*.gif; do
    name=$(basename "$f")
    ours=$work/out/ours.gif best=$work/out/best.gif o2=$work/out/o2.gif o3=$work/out/o3.gif
    if ! "$tool" optimize "$f" "$ours" >/dev/null 2>&1 || ! "$tool" optimize --best "$f" "$best" >/dev/null 2>&1; then
        printf '%-58s %10s %10s\n' "$name" "$(size "$f")" "error"
        failed=$((failed + 1))
        continue
    fi
    if ! gifsicle -O2 "$f" -o "$o2" 2>/dev/null || ! gifsicle -O3 "$f" -o "$o3" 2>/dev/null; then
        printf '%-58s %10s %10s %10s\n' "$name" "$(size "$f")" "$(size "$ours")" "gifsicle failed"
        continue
    fi
    # Redundant frames may go (their time moves to the frame before); a one-
    # frame result has no loop count, which gifdiff reports as "loop".
    same=yes
    for out in "$ours" "$best"; do
        diff=$(gifdiff -w "$f" "$out" 2>/dev/null) || {
            same=NO
            if ! grep -vq -e '^loop counts differ' -e '^frame #0 delays differ' <<<"$diff"; then same=loop; fi
            if grep -q '^screen sizes differ' <<<"$diff"; then same=screen; fi
        }
        [ "$same" = NO ] && break
    done
    in=$(size "$f") s=$(size "$ours") b=$(size "$best") s2=$(size "$o2") s3=$(size "$o3")
    printf '%-58s %10d %10d %10d %10d %10d %6s %7s %5s\n' "$name" "$in" "$s" "$b" "$s2" "$s3" \
        "$(ratio "$s" "$s3")" "$(ratio "$b" "$s3")" "$same"
    total_in=$((total_in + in)) total_ours=$((total_ours + s)) total_best=$((total_best + b))
    total_o2=$((total_o2 + s2)) total_o3=$((total_o3 + s3))
done
printf '%-58s %10d %10d %10d %10d %10d %6s %7s\n' TOTAL "$total_in" "$total_ours" "$total_best" "$total_o2" "$total_o3" \
    "$(ratio $total_ours $total_o3)" "$(ratio $total_best $total_o3)"
echo
echo "ours / input        $(ratio $total_ours $total_in)"
echo "ours / gifsicle -O2 $(ratio $total_ours $total_o2)"
echo "ours / gifsicle -O3 $(ratio $total_ours $total_o3)"
echo "ours --best / gifsicle -O3 $(ratio $total_best $total_o3)"
[ "$failed" -eq 0 ] || echo "$failed files could not be optimised"

# --- lossy ---------------------------------------------------------------------
# ours --lossy=80 beside gifsicle -O3 --lossy=80 on the animations made here
# (the shared files are mostly tiny test cases), with the mean PSNR over all
# composed frames of each against its input (reelix-tool compare).
echo
printf '%-58s %10s %10s %8s %10s %8s\n' "lossy=80" input ours PSNR "gs -O3" PSNR
lossy_in=0 lossy_ours=0 lossy_gs=0 frames_all=0 psnr_ours=0 psnr_gs=0
for f in "$work"/corpus/ff-*.gif "$work"/corpus/im-*.gif "$work"/corpus/gs-*.gif; do
    [ -f "$f" ] || continue
    name=$(basename "$f")
    "$tool" optimize --lossy=80 "$f" "$work/out/lossy-ours.gif" >/dev/null 2>&1 || continue
    gifsicle -O3 --lossy=80 "$f" -o "$work/out/lossy-gs.gif" 2>/dev/null || continue
    read -r n po < <("$tool" compare "$f" "$work/out/lossy-ours.gif" | awk '/^frames/ {n=$2} /^mean PSNR/ {p=$3} END {print n, p}')
    read -r _ pg < <("$tool" compare "$f" "$work/out/lossy-gs.gif" | awk '/^frames/ {n=$2} /^mean PSNR/ {p=$3} END {print n, p}')
    in=$(size "$f") s=$(size "$work/out/lossy-ours.gif") g=$(size "$work/out/lossy-gs.gif")
    printf '%-58s %10d %10d %8s %10d %8s\n' "$name" "$in" "$s" "$po" "$g" "$pg"
    lossy_in=$((lossy_in + in)) lossy_ours=$((lossy_ours + s)) lossy_gs=$((lossy_gs + g))
    frames_all=$((frames_all + n))
    psnr_ours=$(awk -v a="$psnr_ours" -v n="$n" -v p="$po" 'BEGIN { printf "%.4f", a + n * p }')
    psnr_gs=$(awk -v a="$psnr_gs" -v n="$n" -v p="$pg" 'BEGIN { printf "%.4f", a + n * p }')
done
printf '%-58s %10d %10d %8s %10d %8s\n' TOTAL "$lossy_in" "$lossy_ours" \
    "$(awk -v a="$psnr_ours" -v n="$frames_all" 'BEGIN { printf "%.2f", a / n }')" "$lossy_gs" \
    "$(awk -v a="$psnr_gs" -v n="$frames_all" 'BEGIN { printf "%.2f", a / n }')"
echo "lossy ours / gifsicle -O3 --lossy=80 $(ratio $lossy_ours $lossy_gs) (mean PSNR over all composed frames, dB, in the PSNR columns)"

# --- speed ---------------------------------------------------------------------
# A 300-frame 640x480 animation, whole frames through one palette; the median
# of three runs each.
long=$work/long-640x480-300.gif
ffmpeg -hide_banner -loglevel error -f lavfi -i "testsrc2=size=640x480:rate=25,trim=end_frame=300" \
    -vf "split[a][b];[a]palettegen[p];[b][p]paletteuse=dither=bayer" -gifflags 0 -y "$long"
median3() {  # command...: the median wall time of three runs, in seconds
    local times=() t0 t1
    for _ in 1 2 3; do
        t0=$(date +%s.%N); "$@" >/dev/null 2>&1; t1=$(date +%s.%N)
        times+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')")
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n 2p
}
t_ours=$(median3 "$tool" optimize "$long" "$work/out/long-ours.gif")
t_gs=$(median3 gifsicle -O3 "$long" -o "$work/out/long-gs.gif")
t_best=$(median3 "$tool" optimize --best "$long" "$work/out/long-best.gif")
echo
echo "300 frames 640x480 ($(size "$long") bytes): ours ${t_ours}s -> $(size "$work/out/long-ours.gif") bytes," \
     "gifsicle -O3 ${t_gs}s -> $(size "$work/out/long-gs.gif") bytes; time ratio $(ratio "$t_ours" "$t_gs")"
echo "  with --best: ${t_best}s -> $(size "$work/out/long-best.gif") bytes; time ratio $(ratio "$t_best" "$t_gs")"
