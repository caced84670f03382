#!/usr/bin/env bash
# make fuzz: builds the libFuzzer targets of tests/fuzz with clang in their own build directory
# and runs each for FUZZ_SECONDS seconds (60 by default) on a scratch copy of its seed corpus.
# Prints one line per target with its executions, and fails when any target found a crash, a
# leak, a hang or a broken property; the input that did it is kept under <build>/fuzz/artifacts.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD:-build-fuzz}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
targets=(replies angles bytetext frames ports hostpart logpaths settings presetstore)

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCORVANE_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$build" --target corvane_fuzz -j "$jobs" || exit 1

export LSAN_OPTIONS="suppressions=$PWD/tests/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
# The store and settings targets write a file on every input; a RAM disk makes that cheap.
tmpbase=/tmp
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    tmpbase=/dev/shm
fi
scratch=$(mktemp -d "$tmpbase/corvane-fuzz.XXXXXX") || exit 1
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch

failed=0
for target in "${targets[@]}"; do
    corpus=$build/fuzz/corpus/$target
    artifacts=$build/fuzz/artifacts/$target
    log=$build/fuzz/logs/$target.log
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    # The seeds join whatever earlier runs found; the repository keeps only the seeds.
    cp tests/fuzz/corpus/"$target"/* "$corpus"/
    options=()
    case $target in
    settings) options+=(-max_len=9000) ;; # lines just under and over the 4096-byte limit
    esac
    "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=25 \
        -artifact_prefix="$artifacts/" "${options[@]}" "$corpus" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -n 1)
    if [ "$status" -eq 0 ] && [ -n "$runs" ]; then
        printf 'fuzz %-12s %10s executions in %s s\n' "$target" "$runs" "$seconds"
    else
        failed=1
        printf 'fuzz %-12s FAILED (exit %s), log %s\n' "$target" "$status" "$log"
        grep -E -A3 'PROPERTY FAILED|ERROR:|runtime error|SUMMARY|Test unit written' "$log" |
            grep -v '^    #' | head -n 20 | sed 's/^/    /'
    fi
done
exit "$failed"
