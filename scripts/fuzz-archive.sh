#!/usr/bin/env bash
# Fuzzes the install-archive reader with libFuzzer for a while (default 30 s).
# Needs clang; without it the run is skipped. Seeds are small archives made
# by arctool in the same build.
# Usage: scripts/fuzz-archive.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
if ! command -v clang++ >/dev/null; then
  echo "fuzz-archive: clang++ not found, skipped"
  exit 0
fi
dir=build-fuzz
cmake -S . -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOREL_FUZZ=ON -DVOREL_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$dir" --target archive_fuzz arctool -j "$(( $(nproc) / 2 > 0 ? $(nproc) / 2 : 1 ))"

seeds="$dir/fuzz-seeds"
corpus="$dir/fuzz-corpus"
mkdir -p "$seeds" "$corpus"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(
  cd "$work"
  printf 'hello' > a.txt
  head -c 3000 /dev/zero > z.bin
  : > empty
  "$OLDPWD/$dir/bin/arctool" pack one.1 a.txt
  "$OLDPWD/$dir/bin/arctool" pack three.1 --level fastest a.txt z.bin empty
  "$OLDPWD/$dir/bin/arctool" pack stored.1 --level none a.txt
  mkdir disks
  "$OLDPWD/$dir/bin/arctool" span three.1 disks --disk-size 600
)
cp "$work"/*.1 "$seeds"/
cp "$work"/disks/three.1 "$seeds"/spanned.1

export ASAN_OPTIONS=detect_leaks=1
"$dir/bin/archive_fuzz" -max_total_time="$seconds" -max_len=16384 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus" "$seeds"
