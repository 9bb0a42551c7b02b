#!/bin/sh
# Writes the sample pictures the image tests load: the same 120 x 60 picture (left half red,
# right half blue) in each format pictures may come in, made by ImageMagick so the decoders are
# checked against an encoder that is not ours. Run once; the outputs are committed.
#
#     sh tools/sample-images/make_samples.sh        # writes ui/tests/testdata/images/
set -e
OUT="$(dirname "$0")/../../ui/tests/testdata/images"
mkdir -p "$OUT"
TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT
# The picture: two flat halves, so a lossy encoder keeps each half's colour near its value.
convert -size 60x60 xc:'#C00000' -size 60x60 xc:'#0000C0' +append "$TMP/base.png"
# Strip dates and names so a second run writes the same bytes.
STRIP="-strip -define png:exclude-chunks=date,time"
convert "$TMP/base.png" $STRIP -type TrueColor BMP3:"$OUT/sample.bmp"
convert "$TMP/base.png" $STRIP -quality 92 "$OUT/sample.jpg"
convert "$TMP/base.png" $STRIP "$OUT/sample.png"
convert "$TMP/base.png" $STRIP -compress lzw "$OUT/sample.tif"
convert "$TMP/base.png" $STRIP "$OUT/sample.ico"
# Two frames: the first is the picture, the second plain green; only the first shows.
convert -size 120x60 xc:'#00C000' "$TMP/green.png"
convert -delay 20 "$TMP/base.png" "$TMP/green.png" $STRIP -loop 0 "$OUT/sample.gif"
ls -l "$OUT"
