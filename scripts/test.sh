#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test: once in the normal
# build, once under AddressSanitizer and UndefinedBehaviorSanitizer, and a short fuzzing smoke.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

"$here/scripts/setup.sh" "$here/build" -DPENWRIGHT_WERROR=ON
ctest --test-dir "$here/build" --output-on-failure -j "$jobs"

if [ "${PENWRIGHT_SKIP_SANITIZERS:-0}" != 1 ]; then
    PENWRIGHT_BUILD_TYPE=Debug "$here/scripts/setup.sh" "$here/build-asan" -DPENWRIGHT_WERROR=ON \
        "-DPENWRIGHT_SANITIZE=address;undefined"
    # Qt and fontconfig keep a few caches alive until exit on purpose; leaks are not the goal here.
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$here/build-asan" --output-on-failure -j "$jobs"
fi

# A short run of every fuzz target from its kept corpus: crashes found earlier stay fixed.
if [ "${PENWRIGHT_SKIP_FUZZ:-0}" != 1 ]; then
    "$here/scripts/fuzz.sh" "${PENWRIGHT_FUZZ_SECONDS:-10}"
fi
