#!/usr/bin/env bash
# Sets up, builds (AddressSanitizer and UndefinedBehaviorSanitizer, warnings
# as errors) and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
# Lets ccache reuse objects between clones of the tree in other folders.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
bash tools/setup.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMI_SANITIZE=ON -DLUMI_WERROR=ON >/dev/null
cmake --build build/test
cd build/test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j2 "$@"
