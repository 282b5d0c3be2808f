#!/usr/bin/env bash
# The parsers of untrusted containers run in lumaro-probe only: the probe links libheif and
# libavformat, and none of the other programs given links either.
#   parsers-apart.sh PROBE PROGRAM...
set -euo pipefail
probe=$1; shift
fail() { echo "ÉCHEC : $*" >&2; exit 1; }
probe_libraries=$(ldd "$probe")
for library in libheif libavformat; do
  [[ $probe_libraries == *"$library"* ]] || fail "$probe ne charge pas $library"
done
for program in "$@"; do
  libraries=$(ldd "$program")
  for library in libheif libavformat; do
    [[ $libraries != *"$library"* ]] || fail "$program charge $library : le lecteur de formats en est séparé"
  done
done
echo "analyseurs de formats isolés dans $probe"
