#!/bin/sh
# Rebuilds the default sounds assets/nl.mp3 and assets/zd.mp3 from tools/make_sounds.cpp.
# Usage: scripts/make_sounds.sh [build-dir]   (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
cmake -S "$root" -B "$build" -G Ninja >/dev/null
ninja -C "$build" make_sounds
"$build/tools/make_sounds" "$root/assets"
ls -l "$root/assets/nl.mp3" "$root/assets/zd.mp3"
