#!/usr/bin/env bash
# Makes help pictures images/<NAME>.png in every language folder from zavrin-gallery:
# scaled to at most 900 px, 256 colours. Only the pictures named are written.
# Usage: resources/help/generator/make-images.sh BUILD_DIR NAME...   (e.g. form-find)
set -euo pipefail
help=$(cd "$(dirname "$0")/.." && pwd)
build=$1
shift
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
cd "$("$help/../../docs/gallery/workspace.sh" "$build")"
for lang in PT-BR EN ES FR DE; do
  QT_QPA_PLATFORM=offscreen ./zavrin-gallery "$shots" "$lang" | grep -v '^saved' || true
  suffix=$(echo "$lang" | tr 'A-Z' 'a-z')
  for name in "$@"; do
    # A picture whose pixels did not change keeps its file (a PNG carries the time
    # it was written).
    new=$shots/$name-$lang-help.png
    old=$help/$lang/images/$name.png
    convert "$shots/$name-$suffix.png" -resize '900x900>' -colors 256 "PNG8:$new"
    if [ -f "$old" ] && [ "$(compare -metric AE "$new" "$old" null: 2>&1)" = 0 ]; then
      continue
    fi
    cp "$new" "$old"
  done
done
