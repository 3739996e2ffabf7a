#!/usr/bin/env bash
# Sets up, builds and starts the battle client on the bundled sample
# installation, hosting a server on port 4865 from the console.
set -euo pipefail
cd "$(dirname "$0")/.."
# Lets ccache reuse objects between clones of the tree in other folders.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
bash tools/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMI_TESTS=OFF >/dev/null
cmake --build build/release
exec build/release/bin/lumiplay --console --name "${LUMI_NAME:-Host}" --serve "${LUMI_PORT:-4865}" "$@"
