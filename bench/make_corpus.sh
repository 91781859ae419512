#!/usr/bin/env bash
# The mixed corpus of animations the decoding and optimising benchmarks share,
# written into DIR (made at run time, never kept in the repository):
#   ffmpeg test sources through palettegen/paletteuse (no, Bayer, Sierra and
#   Floyd-Steinberg dithering; whole frames, and ffmpeg's own sub-rectangle
#   frames with transparency), 80x60 to 1920x1080;
#   ImageMagick: a photo-like plasma still (plain and interlaced), a scrolling
#   plasma animation, a sprite over a background before and after
#   -layers Optimize;
#   gifsicle: a transparent animation with disposal to background.
#
# usage: bench/make_corpus.sh DIR    (needs ffmpeg, ImageMagick's convert, gifsicle)
set -euo pipefail
c=$1
mkdir -p "$c"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ff() {  # name source size frames paletteuse-options|native
    local name=$1 source=$2 size=$3 frames=$4 use=$5 extra=""
    [ "$source" = mandelbrot ] && extra=":maxiter=256"
    local input="$source=size=$size:rate=10$extra,trim=end_frame=$frames"
    if [ "$use" = native ]; then
        ffmpeg -hide_banner -loglevel error -f lavfi -i "$input" \
            -vf "split[a][b];[a]palettegen[p];[b][p]paletteuse" -y "$c/$name.gif"
    else
        ffmpeg -hide_banner -loglevel error -f lavfi -i "$input" \
            -vf "split[a][b];[a]palettegen[p];[b][p]paletteuse=$use" -gifflags 0 -y "$c/$name.gif"
    fi
}
ff ff-life-320x240-nodither life 320x240 50 dither=none
ff ff-mandelbrot-1920x1080-subrect mandelbrot 1920x1080 5 native
ff ff-mandelbrot-640x480-full mandelbrot 640x480 30 dither=floyd_steinberg
ff ff-testsrc2-1920x1080-fs testsrc2 1920x1080 5 dither=floyd_steinberg
ff ff-testsrc2-640x480-bayer-subrect testsrc2 640x480 30 native
ff ff-testsrc2-640x480-sierra testsrc2 640x480 30 dither=sierra2_4a
ff ff-testsrc2-80x60-nodither testsrc2 80x60 100 dither=none
ff ff-testsrc-320x240-fs testsrc 320x240 50 dither=floyd_steinberg
ff ff-testsrc-320x240-nodither testsrc 320x240 50 dither=none

convert -seed 7 -size 1600x1200 plasma:fractal -dither FloydSteinberg -colors 256 "$c/im-photo-1600x1200.gif"
convert "$c/im-photo-1600x1200.gif" -interlace GIF "$c/im-photo-1600x1200-interlaced.gif"
convert -seed 3 -size 640x240 plasma:fractal -colors 128 "$work/plasma.gif"
scroll=()
for i in $(seq 0 19); do scroll+=("(" "$work/plasma.gif" -crop "320x240+$((i * 16))+0" +repage ")"); done
convert -delay 5 -loop 0 "${scroll[@]}" "$c/im-plasma-scroll-320x240.gif"
sprite=()
for i in $(seq 0 23); do
    sprite+=("(" -size 400x300 gradient:navy-skyblue -fill orange -draw "circle $((40 + i * 13)),150 $((70 + i * 13)),150" ")")
done
convert -delay 4 -loop 0 "${sprite[@]}" -colors 64 "$c/im-sprite-400x300-full.gif"
convert "$c/im-sprite-400x300-full.gif" -layers Optimize "$c/im-sprite-400x300-optimized.gif"

dots=()
for i in $(seq 0 23); do
    convert -size 200x200 xc:none -fill "rgb($((i * 10)),80,200)" -draw "circle $((20 + i * 7)),100 $((50 + i * 7)),100" \
        "$work/dot$i.gif"
    dots+=("$work/dot$i.gif")
done
gifsicle --disposal=background --delay 5 --loopcount=forever "${dots[@]}" -o "$c/gs-transparent-200x200-background.gif"

