#!/usr/bin/env bash
# Remakes docs/screenshots/ from the real application, offscreen, in English and German.
# Usage: docs/gallery/make-gallery.sh [BUILD_DIR]   (default: build)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
out=$top/docs/screenshots
mkdir -p "$out"
cd "$build/run"
for lang in EN DE; do
  QT_QPA_PLATFORM=offscreen ./zavrin-gallery "$out" "$lang" | grep -v '^saved' || true
done
# Small files: 256 colours are plenty for window pictures.
for f in "$out"/*.png; do convert "$f" -colors 256 "PNG8:$f"; done
cp "$out/main-machines-en.png" "$out/main-en.png"
