#!/usr/bin/env bash
# Decoding speed on a mixed corpus of animations, ours beside giflib in one run
# (build/bench/bench_decode). The corpus (bench/make_corpus.sh) is made at run
# time in a temporary folder, never kept.
#
# usage: bench/bench_decode.sh [BUILD_DIR] [benchmark options]   (default: build)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
shift || true
bench=$build/bench/bench_decode
[ -x "$bench" ] || { echo "no bench_decode in $build/bench (build the bench_decode target)" >&2; exit 1; }
for peer in ffmpeg convert gifsicle; do
    command -v "$peer" >/dev/null || { echo "$peer is needed" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
c=$work/corpus
mkdir -p "$c"

"$here/make_corpus.sh" "$c"

ls -l "$c"
"$bench" "$@" "$c"
