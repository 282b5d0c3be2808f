#!/usr/bin/env bash
# How fast the photo search is: 10,000 files (a third photos) in 50 folders, searched by
# `lumaro-cli search` and listed by `find | sort` in the same run. Prints both times (best of
# the runs, page cache warm) and their ratio; the aim is a ratio of 2 or less.
#
# Usage: bench/search.sh [LUMARO_CLI] [RUNS]
set -euo pipefail
export LC_ALL=C # bash prints its times with the locale's decimal mark

here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-$here/../build/lumaro-cli}
runs=${2:-7}
[[ -x $cli ]] || { echo "lumaro-cli introuvable : $cli (construisez la cible lumaro-cli)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$work/card
settings=$work/settings
mkdir -p "$settings"
printf '[General]\r\nExtensionSupp=AVI;MOV\r\n' >"$settings/Lumaro.ini"

# 50 folders of 200 files: every third file a photo, the others movies, notes and other files,
# with file times spread over a year so that the sort has real work to do.
perl -e '
    my ($root) = @ARGV;
    my @other = ("avi", "MOV", "txt", "THM", "dat");
    my $base = 1072915200; # 2004-01-01
    for my $d (1 .. 50) {
        my $folder = sprintf("%s/DCIM/%03dCANON", $root, 99 + $d);
        system("mkdir", "-p", $folder) == 0 or die;
        for my $f (1 .. 200) {
            my $n = ($d - 1) * 200 + $f;
            my $name = $n % 3 == 0 ? sprintf("IMG_%05d.%s", $n, $n % 2 ? "JPG" : "jpg")
                                   : sprintf("MVI_%05d.%s", $n, $other[$n % 5]);
            open(my $fh, ">", "$folder/$name") or die;
            close($fh);
            my $t = $base + int(rand(365 * 86400));
            utime($t, $t, "$folder/$name") or die;
        }
    }' "$tree"

best() { sort -n | head -1; }

# "real cpu" in microseconds of one command line run by bash's own timer (cpu = user + system,
# children included), so that a busy machine shows in the wall time but not in the cpu time.
measure() {
    local TIMEFORMAT='%3R %3U %3S' line
    line=$({ time bash -c "$1" >/dev/null 2>&1; } 2>&1)
    awk '{ printf "%d %d\n", $1 * 1000000, ($2 + $3) * 1000000 }' <<<"$line"
}

search_real=() search_cpu=() find_real=() find_cpu=()
for ((i = 0; i < runs; i++)); do
    read -r r c < <(measure "'$cli' search --settings-dir '$settings' '$tree' >'$work/search.out'")
    search_real+=("$r") search_cpu+=("$c")
    read -r r c < <(measure "find '$tree' -iname '*.jpg' -printf '%T@ %p\\n' | sort >'$work/find.out'")
    find_real+=("$r") find_cpu+=("$c")
done

photos=$(($(grep -n '^--$' "$work/search.out" | cut -d: -f1) - 1))
found=$(wc -l <"$work/find.out")
if [[ $photos -ne $found ]]; then
    echo "Nombre de photos différent : lumaro-cli $photos, find $found" >&2
    exit 1
fi

ms() { awk -v us="$1" 'BEGIN { printf "%.1f ms", us / 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
sr=$(printf '%s\n' "${search_real[@]}" | best)
sc=$(printf '%s\n' "${search_cpu[@]}" | best)
fr=$(printf '%s\n' "${find_real[@]}" | best)
fc=$(printf '%s\n' "${find_cpu[@]}" | best)
files=$(find "$tree" -type f | wc -l)
echo "fichiers : $files, photos : $photos, dossiers : 50, passes : $runs (meilleure passe de chaque)"
echo "lumaro-cli search : $(ms "$sr") écoulées, $(ms "$sc") de processeur"
echo "find | sort       : $(ms "$fr") écoulées, $(ms "$fc") de processeur"
echo "rapport : $(ratio "$sr" "$fr") en temps écoulé, $(ratio "$sc" "$fc") en temps processeur (objectif <= 2)"
