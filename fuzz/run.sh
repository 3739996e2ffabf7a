#!/usr/bin/env bash
# Builds every fuzz target with clang's libFuzzer and runs each for a short
# while (FUZZ_SECONDS, 30 by default). Crashes are left in build/fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLUMI_TESTS=OFF -DLUMI_FUZZ=ON -DLUMI_SANITIZE=ON >/dev/null
cmake --build build/fuzz --target fuzzers -j "${FUZZ_JOBS:-2}"
seconds="${FUZZ_SECONDS:-30}"
for target in build/fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus="build/fuzz/corpus/$name"
    mkdir -p "$corpus"
    seeds="fuzz/seeds/${name#fuzz_}"
    echo "== $name (${seconds}s)"
    if [ -d "$seeds" ]; then
        "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -artifact_prefix=build/fuzz/ "$corpus" "$seeds"
    else
        "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -artifact_prefix=build/fuzz/ "$corpus"
    fi
done
