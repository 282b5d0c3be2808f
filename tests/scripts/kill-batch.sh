#!/usr/bin/env bash
# Kills lumaro-cli batch (deletion on) at random moments, again and again, and checks after each
# kill that no photo was lost or left damaged: every photo of the card is either still on the
# card or, byte for byte, at the destination under a final name (or both), and no file under a
# final name is partial. Usage: kill-batch.sh LUMARO-CLI [KILLS]
set -euo pipefail
cli=$1
kills=${2:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
card=$work/card dest=$work/dest settings=$work/settings
mkdir -p "$settings"

"$cli" demo-card "$card" --count 50 --size 1600x1200 >/dev/null
thumbs=$(find "$card" -type d -name MINIATURES | head -n1)
printf '[General]\r\nSupprimerPhoto=1\r\nRepertoireAIgnorer=%s\r\n' "$thumbs" >"$settings/Lumaro.ini"

# The photos of the card and their digests (the previews are not transferred).
find "$card" -path "$thumbs" -prune -o -iname '*.jpg' -type f -print0 | xargs -0 sha256sum | sort >"$work/originals"
total=$(wc -l <"$work/originals")

check() {
    local copies=$work/copies
    : >"$copies"
    if [ -d "$dest" ]; then
        # Final names only: the temporary files of an interrupted write are hidden.
        find "$dest" -type f -name '*.JPG' ! -name '.*' -print0 | xargs -0 -r sha256sum | sort >"$copies"
    fi
    # No final name holds anything but one of the card's photos, whole.
    if cut -d' ' -f1 "$copies" | sort -u | comm -23 - <(cut -d' ' -f1 "$work/originals" | sort -u) | grep -q .; then
        echo "a file under a final name is not one of the card's photos:" >&2
        join -v1 <(sort "$copies") <(sort "$work/originals") >&2 || true
        return 1
    fi
    # Every photo is on the card, untouched, or at the destination.
    while read -r digest path; do
        if [ -f "$path" ]; then
            [ "$(sha256sum <"$path" | cut -d' ' -f1)" = "$digest" ] || { echo "damaged on the card: $path" >&2; return 1; }
        elif ! grep -q "^$digest " "$copies"; then
            echo "lost: $path" >&2
            return 1
        fi
    done <"$work/originals"
}

done_kills=0
rounds=0
while [ "$done_kills" -lt "$kills" ]; do
    rounds=$((rounds + 1))
    [ "$rounds" -le 1000 ] || { echo "only $done_kills kills landed in $rounds runs" >&2; exit 1; }
    left=$(find "$card" -path "$thumbs" -prune -o -iname '*.jpg' -type f -print | wc -l)
    if [ "$left" -eq 0 ]; then
        # The card is empty: a new one, the same photos again (the demo card is the same each time).
        rm -rf "$card" "$dest"
        "$cli" demo-card "$card" --count 50 --size 1600x1200 >/dev/null
    fi
    "$cli" batch --settings-dir "$settings" "$card" "$dest" >/dev/null 2>&1 &
    pid=$!
    sleep "0.0$(( RANDOM % 40 + 10 ))"
    if kill -9 "$pid" 2>/dev/null; then
        done_kills=$((done_kills + 1))
    fi
    wait "$pid" 2>/dev/null || true
    check
done
# A last run, a little later, empties the card and removes what the interrupted runs left behind.
sleep 3
"$cli" batch --settings-dir "$settings" "$card" "$dest" >/dev/null 2>&1
check
left=$(find "$card" -path "$thumbs" -prune -o -iname '*.jpg' -type f -print | wc -l)
[ "$left" -eq 0 ] || { echo "$left photos left on the card after the last run" >&2; exit 1; }
leftovers=$(find "$dest" -name '.lumaro-*.tmp' | wc -l)
[ "$leftovers" -eq 0 ] || { echo "$leftovers temporary files left at the destination" >&2; exit 1; }
echo "$done_kills kills in $rounds runs over cards of $total photos: none lost, none damaged"
