#!/bin/sh
# Writes the fuzzers' starting files into the folder given (created if needed): small
# generated JPEGs in the variants cameras and editors produce, with EXIF, orientation and a
# stored thumbnail, plus a few JPEGs found on this machine; HEIC with and without a thumbnail
# item, a RAW-like TIFF with EXIF and a JPEG preview, and short videos in the containers cameras
# write. Needs ImageMagick, exiftool, heif-enc, exiv2 and ffmpeg.
set -eu
out=${1:?usage: make-seeds.sh FOLDER}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -seed 7 -size 160x120 plasma:fractal "$work/base.png"
convert "$work/base.png" -resize 80x60 -quality 70 "$work/thumb.jpg"

convert "$work/base.png" -quality 85 "$out/plain.jpg"
convert "$work/base.png" -quality 85 -interlace JPEG "$out/progressive.jpg"
convert "$work/base.png" -colorspace Gray -quality 80 "$out/gray.jpg"
convert "$work/base.png" -colorspace CMYK -quality 80 "$out/cmyk.jpg"
convert "$work/base.png" -sampling-factor 1x1 -quality 90 "$out/s444.jpg"
convert "$work/base.png" -sampling-factor 2x1 -quality 90 "$out/s422.jpg"
convert "$work/base.png" -resize 37x23! -quality 90 "$out/odd-size.jpg"
convert -size 1x1 xc:red "$out/one-pixel.jpg"
jpegtran -restart 1 "$out/plain.jpg" > "$out/restart.jpg"
jpegtran -arithmetic "$out/plain.jpg" > "$out/arithmetic.jpg" 2>/dev/null || rm -f "$out/arithmetic.jpg"

# Camera-like: EXIF with date, maker, orientation and a stored thumbnail.
for o in 1 6 8; do
    cp "$out/plain.jpg" "$out/camera-$o.jpg"
    exiftool -q -overwrite_original -Make=Lumaro -Model="Seed $o" \
        -DateTimeOriginal="2004:02:14 10:30:12" -Orientation#=$o \
        -ExifImageWidth=160 -ExifImageHeight=120 "-ThumbnailImage<=$work/thumb.jpg" "$out/camera-$o.jpg"
done

# A truncated scan and a truncated header.
size=$(wc -c < "$out/camera-6.jpg")
head -c $((size * 2 / 3)) "$out/camera-6.jpg" > "$out/truncated-scan.jpg"
head -c 200 "$out/camera-6.jpg" > "$out/truncated-header.jpg"

# An ICC profile split over two APP2 chunks (the bytes are not a real profile).
python3 - "$out/plain.jpg" "$out/icc.jpg" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
def app2(n, count, payload):
    body = b'ICC_PROFILE\0' + bytes([n, count]) + payload
    return b'\xff\xe2' + (len(body) + 2).to_bytes(2, 'big') + body
profile = bytes(range(256)) * 8
segments = app2(1, 2, profile[:1000]) + app2(2, 2, profile[1000:])
open(sys.argv[2], 'wb').write(data[:2] + segments + data[2:])
PY

# HEIF from the camera-like JPEG (its EXIF kept), without and with a thumbnail item.
heif-enc -q 50 -o "$out/camera.heic" "$out/camera-6.jpg" >/dev/null
heif-enc -q 50 -t 64 -o "$out/thumbnail.heic" "$out/camera-1.jpg" >/dev/null

# A RAW-like TIFF: EXIF as a camera writes it and a JPEG preview where Exiv2 finds previews.
convert -size 16x12 xc:gray "$work/raw.tif"
exiftool -q -overwrite_original -Make=Lumaro -Model=Seed -DateTimeOriginal="2004:02:14 10:30:12" \
    -Orientation#=6 "$work/raw.tif"
cp "$out/plain.jpg" "$work/raw-thumb.jpg"
exiv2 -it "$work/raw.tif"
cp "$work/raw.tif" "$out/raw-like.cr2"

# Short videos with a creation time, in the containers cameras and phones write.
for container in mp4 mov mts avi; do
    ffmpeg -v error -f lavfi -i testsrc=size=64x48:rate=5 -t 0.4 -metadata creation_time=2024-07-12T08:30:00Z \
        -y "$out/clip.$container"
done

# Real JPEGs shipped with other packages, when present.
n=0
for f in $(find /usr/share /root/.pyenv -xdev \( -iname '*.jpg' -o -iname '*.jpeg' \) -size -64k 2>/dev/null | head -n 6); do
    n=$((n + 1))
    cp "$f" "$out/found-$n.jpg"
done
echo "$(ls "$out" | wc -l) seeds in $out"
