#!/usr/bin/env bash
# Measures the slideshow on a 1920 x 1080 screen (Xvfb) with 24 MP photos: "Photo suivante"
# with the next photo decoded ahead against without, and the decoding at the DCT scale that
# covers the screen against a whole decode, in interleaved pairs; prints the medians.
#   bench/slideshow.sh [BUILD_FOLDER]   (default: build; lumaro-cli and bench/lumaro-bench-slideshow
#                                        are built there first)
# Environment: PAIRS (default 7), SIZE (default 6000x4000), SCREEN (default 1920x1080), WORK (scratch folder).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
cli="$build/lumaro-cli"
bench="$build/bench/lumaro-bench-slideshow"
pairs=${PAIRS:-7}
size=${SIZE:-6000x4000}
screen=${SCREEN:-1920x1080}
work=${WORK:-$(mktemp -d /var/tmp/lumaro-slideshow.XXXXXX)}
trap 'rm -rf "$work"' EXIT

cmake --build "$build" -j"$(nproc)" --target lumaro-cli lumaro-bench-slideshow >/dev/null
for tool in "$cli" "$bench"; do
  [[ -x $tool ]] || { echo "Introuvable : $tool (construisez lumaro-cli et lumaro-bench-slideshow)" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "Outil manquant : xvfb-run" >&2; exit 1; }

count=$((2 * pairs + 2))
echo "Carte de démonstration : $count photos de $size dans $work/card"
"$cli" demo-card "$work/card" --count "$count" --size "$size" --settings-dir "$work/settings" >/dev/null
# Both sides read the photos from memory, not from the disk.
find "$work/card" -iname '*.jpg' -exec cat {} + >/dev/null
xvfb-run -a -s "-screen 0 ${screen}x24" "$bench" "$work/card" "$pairs"
