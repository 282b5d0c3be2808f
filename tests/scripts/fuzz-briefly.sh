#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a short while
# (FUZZ_SECONDS, default 30) on the seeds of tests/fuzz/make-seeds.sh, keeping what they find
# in build-fuzz/corpus-TARGET for the next run. Any crash, leak, hang or undue allocation fails,
# with the input that caused it left in build-fuzz/.
#   tests/scripts/fuzz-briefly.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${FUZZ_SECONDS:-30}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMARO_FUZZ=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DLUMARO_CORE_ONLY=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_imaging fuzz_formats

seeds=build-fuzz/seeds
rm -rf "$seeds"
tests/fuzz/make-seeds.sh "$seeds" >/dev/null
# Both targets run at once, one on each core.
fuzz() {
    local target=$1 corpus=build-fuzz/corpus-$1 status=0
    mkdir -p "$corpus"
    # A picture may claim up to 250 megapixels, which a reader is entitled to decode.
    "build-fuzz/tests/fuzz/$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=4096 \
        -artifact_prefix=build-fuzz/"$target"- -print_final_stats=1 "$corpus" "$seeds" >"build-fuzz/$target.log" 2>&1 ||
        status=$?
    return $status
}
targets=(fuzz_imaging fuzz_formats)
pids=()
for target in "${targets[@]}"; do
    echo "$target : ${seconds} s"
    fuzz "$target" &
    pids+=($!)
done
failed=0
for i in "${!targets[@]}"; do
    target=${targets[$i]}
    status=0
    wait "${pids[$i]}" || status=$?
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "build-fuzz/$target.log" || true
    if [[ $status -ne 0 ]]; then
        tail -n 60 "build-fuzz/$target.log" >&2
        echo "ÉCHEC : $target a trouvé une entrée fautive (build-fuzz/$target-*)" >&2
        failed=1
    fi
done
exit $failed
