#!/bin/sh
# Takes the pictures of the main window for docs/: screenshot-folded.png, and one picture of
# the unfolded window for each page (screenshot.png shows the first), on the offscreen
# platform, in a scratch folder of its own.
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
shoot() {  # shoot FILE UNFOLD [PAGE]
  (cd "$scratch/cwd" && XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/run" \
    QT_QPA_PLATFORM=offscreen TAMIRO_SCREENSHOT="$1" TAMIRO_SCREENSHOT_UNFOLD="$2" \
    TAMIRO_SCREENSHOT_PAGE="${3:-0}" timeout 30 "$build/tamiro" 2>/dev/null)
}
shoot "$root/docs/screenshot.png" 1 0
shoot "$root/docs/screenshot-folded.png" 0
for page in 1 2 3 4 5 6; do
  shoot "$root/docs/screenshot-page$((page + 1)).png" 1 "$page"
done
ls -l "$root"/docs/screenshot*.png
