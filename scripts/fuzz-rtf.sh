#!/usr/bin/env bash
# Fuzzes the RTF reader (and the writer on what it reads) with libFuzzer for
# a while (default 20 s). Needs clang; without it the run is skipped. Seeds
# are small documents in the shapes word processors write.
# Usage: scripts/fuzz-rtf.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
if ! command -v clang++ >/dev/null; then
  echo "fuzz-rtf: clang++ not found, skipped"
  exit 0
fi
dir=build-fuzz
cmake -S . -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOREL_FUZZ=ON -DVOREL_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$dir" --target rtf_fuzz -j "$(( $(nproc) / 2 > 0 ? $(nproc) / 2 : 1 ))"

seeds="$dir/rtf-seeds"
corpus="$dir/rtf-corpus"
mkdir -p "$seeds" "$corpus"
printf '%s' '{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss Arial;}{\f1\fnil\fcharset2 Symbol;}}{\colortbl ;\red255\green0\blue0;}\viewkind4\uc1\pard\qc\b\f0\fs32 Title\b0\par\pard\li720\fi-360\cf1 red \cf0\i it\i0\ul ul\ulnone\par{\pntext\f1\'"'"'B7\tab}{\*\pn\pnlvlblt\pnf1{\pntxtb\'"'"'B7}}One\par}' > "$seeds/wordpad.rtf"
printf '%s' '{\rtf1\ansi{\*\listtable{\list{\listlevel{\leveltext\'"'"'01\u-3913 ?;}}}}{\info{\title t}}\pard\ls1{\listtext\'"'"'b7\tab}Item\par\uc2 A\u8364\'"'"'80\'"'"'80B\u-10179?\u-8704?{\pict\bin4 {}\}\trowd\cellx100 a\cell b\cell\row}' > "$seeds/word.rtf"
printf '%s' '{\rtf1{\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}}\line\tab\~\_\-\emdash\'"'"'e9}' > "$seeds/symbols.rtf"

export ASAN_OPTIONS=detect_leaks=1
"$dir/bin/rtf_fuzz" -max_total_time="$seconds" -max_len=8192 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus" "$seeds"
