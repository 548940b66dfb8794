#!/bin/sh
# Takes the pictures of the main window for docs/: screenshot.png (unfolded) and
# screenshot-folded.png, on the offscreen platform, in a scratch folder of its own.
# Usage: scripts/screenshot.sh [build-dir]   (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
cmake -S "$root" -B "$build" -G Ninja >/dev/null
ninja -C "$build" Tamiro
scratch=$(mktemp -d /tmp/tamiro-shot-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/config" "$scratch/run" "$scratch/cwd" "$root/docs"
chmod 700 "$scratch/run"
shoot() {  # shoot FILE UNFOLD
  (cd "$scratch/cwd" && XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/run" \
    QT_QPA_PLATFORM=offscreen TAMIRO_SCREENSHOT="$1" TAMIRO_SCREENSHOT_UNFOLD="$2" \
    timeout 30 "$build/tamiro" 2>/dev/null)
}
shoot "$root/docs/screenshot.png" 1
shoot "$root/docs/screenshot-folded.png" 0
ls -l "$root/docs/screenshot.png" "$root/docs/screenshot-folded.png"
