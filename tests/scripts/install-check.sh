#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks what a desktop and a package manager
# read: the menu entry and the AppStream metadata validate, the manual pages format without
# warnings, the installed lumaro-cli answers --version, and the probe that reads RAW, HEIF and
# video files lies where the installed programs look for it.
#   install-check.sh BUILD_FOLDER VERSION
set -euo pipefail
build=$1
version=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
share=$root/usr/share
fail() { echo "ÉCHEC : $*" >&2; exit 1; }

for file in usr/bin/lumaro usr/bin/lumaro-cli usr/libexec/lumaro/lumaro-probe usr/share/applications/lumaro.desktop \
            usr/share/icons/hicolor/scalable/apps/lumaro.svg usr/share/metainfo/example.lumaro.Lumaro.metainfo.xml \
            usr/share/man/man1/lumaro.1.gz usr/share/man/man1/lumaro-cli.1.gz; do
  [[ -e $root/$file ]] || fail "$file n'est pas installé"
done

desktop-file-validate "$share/applications/lumaro.desktop" || fail "lumaro.desktop"
grep -qx 'MimeType=x-content/image-dcf;' "$share/applications/lumaro.desktop" || fail "MimeType"
appstreamcli validate --no-net --explain "$share/metainfo/example.lumaro.Lumaro.metainfo.xml" || fail "metainfo"

for page in lumaro lumaro-cli; do
  warnings=$(zcat "$share/man/man1/$page.1.gz" | groff -K utf8 -man -Tutf8 -ww -z 2>&1)
  [[ -z $warnings ]] || fail "$page.1 : $warnings"
done

out=$("$root/usr/bin/lumaro-cli" --version)
[[ $out == *"$version"* ]] || fail "lumaro-cli --version affiche « $out »"
[[ -x $root/usr/libexec/lumaro/lumaro-probe ]] || fail "lumaro-probe n'est pas exécutable"
echo "installation vérifiée dans $root"
