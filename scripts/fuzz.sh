#!/usr/bin/env bash
# Fuzzes one reader of untrusted input with libFuzzer for a while, under
# AddressSanitizer and UndefinedBehaviorSanitizer:
#   archive  install archives, listed and extracted (seeds made by arctool)
#   tables   table files opened and read (seeds made by table_fuzz_seeds)
#   images   the viewer's picture readers (seeds made by image_fuzz_seeds)
#   gif      the GIF reader, composed through every frame
#   rtf      the RTF reader, and the writer on what it read
# Needs clang; without it the run is skipped. All targets share build-fuzz/.
# Usage: scripts/fuzz.sh TARGET [seconds]   (default 20 s)
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: scripts/fuzz.sh archive|tables|images|gif|rtf [seconds]}
seconds=${2:-20}
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ not found, skipped"
  exit 0
fi
dir=build-fuzz
cmake -S . -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOREL_FUZZ=ON -DVOREL_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
build() { cmake --build "$dir" --target "$@" -j "$(( $(nproc) / 2 > 0 ? $(nproc) / 2 : 1 ))"; }

seeds="$dir/$target-seeds"
corpus="$dir/$target-corpus"
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus"
export QT_QPA_PLATFORM=offscreen
max_len=8192
extra=()
case "$target" in
  archive)
    build archive_fuzz arctool
    max_len=16384
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
    ;;
  tables)
    build table_fuzz table_fuzz_seeds
    "$dir/bin/table_fuzz_seeds" "$seeds"
    extra=(-timeout=10)
    ;;
  images)
    build image_fuzz image_fuzz_seeds
    "$dir/bin/image_fuzz_seeds" "$seeds"
    ;;
  gif)
    build gif_fuzz
    # A two-frame animation with a loop, transparency, a comment and a local
    # table, and a one-pixel picture.
    printf 'GIF89a\x02\x00\x01\x00\x81\x00\x00\x00\x00\x00\xff\x00\x00\x00\xff\x00\x00\x00\xff!\xff\x0bNETSCAPE2.0\x03\x01\x02\x00\x00!\xf9\x04\x0d\x05\x00\x00\x00!\xfe\x02hi\x00,\x00\x00\x00\x00\x02\x00\x01\x00\x81\x00\x00\x00\xff\xff\xff\x00\x00\x00\x00\x00\x00\x02\x03\x0c\x10\x05\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x40\x02\x02\x44\x01\x00;' > "$seeds/anim.gif"
    printf 'GIF87a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;' > "$seeds/one.gif"
    ;;
  rtf)
    build rtf_fuzz
    printf '%s' '{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss Arial;}{\f1\fnil\fcharset2 Symbol;}}{\colortbl ;\red255\green0\blue0;}\viewkind4\uc1\pard\qc\b\f0\fs32 Title\b0\par\pard\li720\fi-360\cf1 red \cf0\i it\i0\ul ul\ulnone\par{\pntext\f1\'"'"'B7\tab}{\*\pn\pnlvlblt\pnf1{\pntxtb\'"'"'B7}}One\par}' > "$seeds/wordpad.rtf"
    printf '%s' '{\rtf1\ansi{\*\listtable{\list{\listlevel{\leveltext\'"'"'01\u-3913 ?;}}}}{\info{\title t}}\pard\ls1{\listtext\'"'"'b7\tab}Item\par\uc2 A\u8364\'"'"'80\'"'"'80B\u-10179?\u-8704?{\pict\bin4 {}\}\trowd\cellx100 a\cell b\cell\row}' > "$seeds/word.rtf"
    printf '%s' '{\rtf1{\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}}\line\tab\~\_\-\emdash\'"'"'e9}' > "$seeds/symbols.rtf"
    ;;
  *)
    echo "fuzz: unknown target $target" >&2
    exit 2
    ;;
esac

export ASAN_OPTIONS=detect_leaks=1
"$dir/bin/${target%s}_fuzz" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=2048 "${extra[@]}" \
  -print_final_stats=1 "$corpus" "$seeds"
