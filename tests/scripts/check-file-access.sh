#!/usr/bin/env bash
# Only the file-system units of the core touch files: every other unit of core/ and cli/ reaches
# user paths through FileName, FileSystem and PosixFile, which keep a name that is not UTF-8 byte
# for byte. Qt's file classes encode names their own way and lose such bytes, so they must not
# appear anywhere else (comments aside). Usage: check-file-access.sh SOURCE-ROOT
set -euo pipefail
root=$1

# The units allowed to use Qt's file classes, wherever they stand under core/ (core/files/ too).
allowed='^(filename|filesystem|posixfile|filereplacement|safecopy|textfile|paths|volumeidentity)$'
# Qt's image readers and writers open files by name the same way: photos are read and written
# through the imaging layer, which reaches them through PosixFile and FileReplacement.
forbidden='\bQ(File|FileInfo|Dir|DirIterator|SaveFile|TextStream|ImageReader|ImageWriter)\b|\bQ(Image|Pixmap)::(load|save)\b'

# Prints "path:line: text" for every use found under the folders given, relative to $1.
offences() {
    local base=$1
    shift
    (cd "$base" && find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 2>/dev/null | sort -z) |
        while IFS= read -r -d '' file; do
            stem=$(basename "$file")
            stem=${stem%.*}
            if [[ $file == core/files/* ]] || [[ $file == core/* && $stem =~ $allowed ]]; then
                continue
            fi
            # Comments may name the classes (to say why they are not used).
            sed -e 's://.*$::' "$base/$file" | grep -nE "$forbidden" | sed "s|^|$file:|" || true
        done
}

# The check first proves on a planted tree that it finds what it must and only that.
plant=$(mktemp -d)
trap 'rm -rf "$plant"' EXIT
mkdir -p "$plant/core/files" "$plant/core/workflows" "$plant/cli"
printf '#include <QFile>\n' >"$plant/core/workflows/batch.cpp"
printf 'void f() { QTextStream(stdout) << 1; }\n' >"$plant/cli/main.cpp"
printf '// QDir is not used here.\nQFileDevice *d;\n' >"$plant/core/comment.cpp"
printf 'QDir d;\n' >"$plant/core/files/filesystem.cpp"
printf 'QFileInfo i;\n' >"$plant/core/paths.cpp"
mkdir -p "$plant/core/imaging"
printf 'QSize s = QImageReader(path).size();\n' >"$plant/core/workflows/picture.cpp"
printf 'bool ok = picture.QImage::save(path);\n' >"$plant/core/imaging/imaging.cpp"
printf 'QImage image; // not QImageWriter\nimage.save(buffer);\n' >"$plant/cli/output.cpp"
found=$(offences "$plant" core cli | cut -d: -f1 | sort | tr '\n' ' ')
if [ "$found" != "cli/main.cpp core/imaging/imaging.cpp core/workflows/batch.cpp core/workflows/picture.cpp " ]; then
    echo "check-file-access.sh: the check itself is broken (found: $found)" >&2
    exit 2
fi

report=$(offences "$root" core cli)
if [ -n "$report" ]; then
    echo "Qt's file or image-file classes used outside the file-system units (use FileName, FileSystem, PosixFile, Imaging):" >&2
    echo "$report" >&2
    exit 1
fi
echo "core/ and cli/ reach files through the file-system units only"
