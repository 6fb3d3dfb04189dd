#!/usr/bin/env bash
# Remakes docs/screenshots/ from the real application, offscreen, in English and German.
# Usage: docs/gallery/make-gallery.sh [BUILD_DIR]   (default: build)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
out=$top/docs/screenshots
mkdir -p "$out"
new=$(mktemp -d)
trap 'rm -rf "$new"' EXIT
cd "$("$top/docs/gallery/workspace.sh" "$build")"
for lang in EN DE; do
  QT_QPA_PLATFORM=offscreen ./zavrin-gallery "$new" "$lang" | grep -v '^saved' || true
done
# Small files: 256 colours are plenty for window pictures.
for f in "$new"/*.png; do convert "$f" -colors 256 "PNG8:$f"; done
cp "$new/main-machines-en.png" "$new/main-en.png"
# A picture whose pixels did not change keeps its file (the PNG carries the time it
# was written), so a remake shows only the windows that really changed.
for f in "$new"/*.png; do
  old=$out/$(basename "$f")
  if [ -f "$old" ] && [ "$(compare -metric AE "$f" "$old" null: 2>&1)" = 0 ]; then
    continue
  fi
  cp "$f" "$old"
done
