#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer on) and
# runs each for SECONDS (default 10) from its kept corpus. Prints one line per target with the
# executions it ran; fails when a target finds a crash, whose input is left in build-fuzz/crashes.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-10}
shift || true
build=${PENWRIGHT_FUZZ_BUILD:-$here/build-fuzz}

packages=(clang-14 libfuzzer-14-dev libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    SUDO=$([ "$(id -u)" -ne 0 ] && echo sudo || true)
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

mkdir -p "$build"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DPENWRIGHT_FUZZ=ON \
    "-DPENWRIGHT_SANITIZE=address;undefined;fuzzer-no-link" > "$build/configure.log" 2>&1 ||
    { cat "$build/configure.log"; exit 1; }
cmake --build "$build" --target pw_fuzz_targets -j "$(nproc 2>/dev/null || echo 2)"

mkdir -p "$build/crashes"
# Several targets write real files (the settings store saves atomically and flushes); on a disk
# that flush dominates each execution, so their temporary folders go to memory when it can.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
status=0
for binary in "$build"/fuzz/*_fuzz; do
    name=$(basename "$binary" _fuzz)
    if (($#)) && [[ " $* " != *" $name "* ]]; then
        continue
    fi
    kept="$here/tests/fuzz/corpus/$name"
    work="$build/corpus/$name"
    mkdir -p "$kept" "$work"
    log="$build/$name.log"
    if ASAN_OPTIONS=detect_leaks=0 "$binary" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=${PENWRIGHT_FUZZ_MAX_LEN:-16384} -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$name-" "$work" "$kept" > "$log" 2>&1; then
        result=ok
    else
        result=CRASH
        status=1
    fi
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
    printf '%-16s %-6s %12s executions in %ss\n' "$name" "$result" "$runs" "$seconds"
    if [ "$result" = CRASH ]; then
        tail -n 40 "$log"
    fi
done
exit $status
