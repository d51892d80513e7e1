#!/bin/sh
# Renders the backup dialog, after a backup of a small sample project, to docs/backup-dialog.png.
#   scripts/render-backup-dialog.sh [BUILD_DIR]     (default: build)
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" --target pbview_render -j"${ZK_JOBS:-2}"
QT_QPA_PLATFORM=offscreen "$build/tests/pbview_render" "$root/docs/backup-dialog.png"
echo "wrote $root/docs/backup-dialog.png"
