#!/usr/bin/env bash
# Lays out a fresh copy of the ready-to-run folder at a fixed place,
# /var/tmp/zavrin-gallery/Zavrin (a folder with few neighbours, as the browser shows
# them), with fixed dates on its files and machines, so that the
# pictures show the same paths and dates on every machine and every run.
# Usage: docs/gallery/workspace.sh BUILD_DIR   (prints the folder)
set -euo pipefail
run=$1/run
ws=/var/tmp/zavrin-gallery/Zavrin
rm -rf /var/tmp/zavrin-gallery
mkdir -p "$ws"
cp -r "$run/Help" "$run/demo" "$run/ZavrinEditCNC.ini" "$run/zavrin-gallery" "$run/zavrin-newdb" "$ws/"
rm -f "$ws/demo/machines.db"
"$ws/zavrin-newdb" "$ws/demo/machines.db" --demo >/dev/null
printf '[DIRBD]\r\nVALUE=%s\r\n[LANGUAGE]\r\nVALUE=EN\r\n' "$ws/demo/machines.db" >"$ws/Zavrin.ini"
python3 - "$ws/demo/machines.db" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("UPDATE ZVRD_MAQUINAS SET DATA_CRIACAO = '2026-12-01T08:00:00.000', DATA_ALTERACAO = '2026-12-01T08:00:00.000'")
db.commit()
PY
find "$ws/demo" -exec touch -h -d '2026-12-01 08:00:00' {} +
echo "$ws"
