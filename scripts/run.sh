#!/usr/bin/env bash
# Builds voreled, writes a fresh sample installation and starts the program
# in it. Without a display, the program runs in a virtual one (Xvfb).
# Usage: scripts/run.sh [SAMPLE_DIR]
# SAMPLE_DIR must be new, empty, or a sample written before; anything else
# is left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target voreled vorel-sample

sample=${1:-$PWD/sample}
# Only a folder vorel-sample wrote, or an empty one, is replaced.
bash scripts/clear-sample.sh "$sample"
build/bin/vorel-sample "$sample"
echo "sample installation: $sample"
cd "$sample"
if [ -z "${DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" = "" ]; then
  echo "no DISPLAY: starting in a virtual display (xvfb-run)"
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$OLDPWD/build/bin/voreled"
fi
exec "$OLDPWD/build/bin/voreled"
