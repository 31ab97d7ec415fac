#!/usr/bin/env bash
# Fuzzes the GIF reader with libFuzzer for a while (default 20 s). Needs
# clang; without it the run is skipped. Seeds are small GIFs written here.
# Usage: scripts/fuzz-gif.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
if ! command -v clang++ >/dev/null; then
  echo "fuzz-gif: clang++ not found, skipped"
  exit 0
fi
dir=build-fuzz
cmake -S . -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOREL_FUZZ=ON -DVOREL_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$dir" --target gif_fuzz -j "$(( $(nproc) / 2 > 0 ? $(nproc) / 2 : 1 ))"

seeds="$dir/gif-seeds"
corpus="$dir/gif-corpus"
mkdir -p "$seeds" "$corpus"
# A two-frame animation with a loop, transparency, a comment and a local
# table, and a one-pixel picture.
printf 'GIF89a\x02\x00\x01\x00\x81\x00\x00\x00\x00\x00\xff\x00\x00\x00\xff\x00\x00\x00\xff!\xff\x0bNETSCAPE2.0\x03\x01\x02\x00\x00!\xf9\x04\x0d\x05\x00\x00\x00!\xfe\x02hi\x00,\x00\x00\x00\x00\x02\x00\x01\x00\x81\x00\x00\x00\xff\xff\xff\x00\x00\x00\x00\x00\x00\x02\x03\x0c\x10\x05\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x40\x02\x02\x44\x01\x00;' > "$seeds/anim.gif"
printf 'GIF87a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;' > "$seeds/one.gif"

export ASAN_OPTIONS=detect_leaks=1
"$dir/bin/gif_fuzz" -max_total_time="$seconds" -max_len=8192 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus" "$seeds"
