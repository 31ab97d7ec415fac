#!/usr/bin/env bash
# Fuzzes the HTML viewer's picture readers (signatures, GIF and PNG
# transparency probes, BMP, JPEG and GIF loading) with libFuzzer for a while
# (default 20 s). Needs clang; without it the run is skipped. Seeds are
# small pictures written by image_fuzz_seeds in the same build.
# Usage: scripts/fuzz-images.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
if ! command -v clang++ >/dev/null; then
  echo "fuzz-images: clang++ not found, skipped"
  exit 0
fi
dir=build-fuzz
cmake -S . -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOREL_FUZZ=ON -DVOREL_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$dir" --target image_fuzz image_fuzz_seeds -j "$(( $(nproc) / 2 > 0 ? $(nproc) / 2 : 1 ))"

seeds="$dir/image-fuzz-seeds"
corpus="$dir/image-fuzz-corpus"
mkdir -p "$seeds" "$corpus"
QT_QPA_PLATFORM=offscreen "$dir/bin/image_fuzz_seeds" "$seeds"

export ASAN_OPTIONS=detect_leaks=1
QT_QPA_PLATFORM=offscreen "$dir/bin/image_fuzz" -max_total_time="$seconds" -max_len=8192 \
  -rss_limit_mb=2048 -print_final_stats=1 "$corpus" "$seeds"
