#!/usr/bin/env bash
# Whole-process comparison of the install archive with its peers, in one
# run on one machine: packing at the highest level and extracting a tree,
# each tool run in turn (alternating, RUNS rounds), inputs and outputs on
# tmpfs, wall time in seconds (median of the rounds) and archive size.
#
#   bench/archive/compare.sh [ARCTOOL] [TREE...]
#
# ARCTOOL defaults to build/bin/arctool. Without TREE, two trees are made
# from a fixed seed: many small text files, and fewer mixed files up to a
# few megabytes. Peers: tar + pigz -9 (every core), tar + gzip -9 and
# tar xzf (one core), zip -9 / unzip, and plain zlib (one deflate stream per
# file at level 9, Python's zlib module, one core). Every extraction is
# checked against the tree before its time counts.
set -euo pipefail

here=$(cd "$(dirname "$0")/../.." && pwd)
arctool=${1:-$here/build/bin/arctool}
shift || true
runs=${RUNS:-3}
for tool in tar pigz gzip zip unzip python3; do
  command -v "$tool" >/dev/null || { echo "compare.sh: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
[ -x "$arctool" ] || { echo "compare.sh: no arctool at $arctool" >&2; exit 1; }

work=$(mktemp -d /dev/shm/archive-compare-XXXXXX)
trap 'rm -rf "$work"' EXIT

make_trees() {
  python3 - "$work" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(20240601)
words = [b"<p>", b"</p>", b"<td>", b"</td>", b"transistor ", b"diode ", b"BC547 ", b"1N4148 ", b"\r\n", b"gain ",
         b"<a href=\"http://example.com/", b"\">", b"</a>", b"TO-92 ", b"&nbsp;"]
def text(n):
    out = bytearray()
    while len(out) < n:
        out += rng.choice(words)
        if rng.random() < 0.2: out += str(rng.randrange(100000)).encode()
    return bytes(out[:n])
def mixed(n):
    out = bytearray()
    while len(out) < n:
        k = min(65536, n - len(out))
        kind = rng.randrange(3)
        out += text(k) if kind == 0 else (rng.randbytes(k) if kind == 1 else bytes([rng.randrange(256)]) * k)
    return bytes(out)
def tree(name, count, make):
    for i in range(count):
        d = os.path.join(root, name, "d%02d" % (i % 40))
        os.makedirs(d, exist_ok=True)
        with open(os.path.join(d, "f%05d.dat" % i), "wb") as f: f.write(make())
tree("small", 6000, lambda: text(rng.randrange(300, 12000)))
tree("mixed", 120, lambda: mixed(rng.randrange(64 << 10, 3 << 20)))
PY
  echo "$work/small" "$work/mixed"
}

# Plain zlib: one stream per file, written one after another with a
# length in front; extraction inflates them back into files.
zlib_pack() {
  python3 - "$1" "$2" <<'PY'
import os, sys, zlib, struct
src, out = sys.argv[1], sys.argv[2]
with open(out, "wb") as o:
    for d, _, files in sorted(os.walk(src)):
        for f in sorted(files):
            p = os.path.join(d, f)
            data = zlib.compress(open(p, "rb").read(), 9)
            name = os.path.relpath(p, src).encode()
            o.write(struct.pack("<HI", len(name), len(data)) + name + data)
PY
}
zlib_unpack() {
  python3 - "$1" "$2" <<'PY'
import os, sys, zlib, struct
arc, dst = sys.argv[1], sys.argv[2]
data = open(arc, "rb").read()
i, made = 0, set()
while i < len(data):
    n, k = struct.unpack_from("<HI", data, i); i += 6
    name = data[i:i + n].decode(); i += n
    p = os.path.join(dst, name); d = os.path.dirname(p)
    if d not in made: os.makedirs(d, exist_ok=True); made.add(d)
    with open(p, "wb") as f: f.write(zlib.decompress(data[i:i + k]))
    i += k
PY
}

now() { date +%s.%N; }
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# pack_<tool> TREE ARCHIVE ; unpack_<tool> ARCHIVE DIR (DIR is empty, made)
pack_arctool() { (cd "$1" && find . -type f | sed 's|^\./||' | sort > "$work/list" && xargs -x -s 2000000 -d '\n' "$arctool" pack "$2" --level max < "$work/list"); }
unpack_arctool() { "$arctool" extract "$1" "$2" >/dev/null; }
pack_arctool1() { (cd "$1" && xargs -x -s 2000000 -d '\n' "$arctool" pack "$2" --level max --threads 1 < "$work/list"); }
unpack_arctool1() { "$arctool" extract "$1" "$2" --threads 1 >/dev/null; }
pack_pigz() { tar -C "$1" -cf - . | pigz -9 > "$2"; }
unpack_pigz() { tar -C "$2" -I pigz -xf "$1"; }
pack_gzip() { tar -C "$1" -cf - . | gzip -9 > "$2"; }
unpack_gzip() { tar -C "$2" -xzf "$1"; }
pack_zip() { (cd "$1" && zip -9 -q -r "$2" .); }
unpack_zip() { unzip -q "$1" -d "$2"; }
pack_zlib() { zlib_pack "$1" "$2"; }
unpack_zlib() { zlib_unpack "$1" "$2"; }

# arctool stores names without folders: its extraction is checked by name.
same_tree() {
  local tree=$1 out=$2 flat=$3
  if [ "$flat" = 1 ]; then
    (cd "$tree" && find . -type f -printf '%f\n' | sort) > "$work/a"
    (cd "$out" && find . -type f -printf '%f\n' | sort) > "$work/b"
    cmp -s "$work/a" "$work/b" || return 1
    (cd "$tree" && find . -type f -print0 | xargs -0 cat) | cksum > "$work/a"
    (cd "$tree" && find . -type f -printf '%f\n') | (cd "$out" && xargs -d '\n' cat) | cksum > "$work/b"
    cmp -s "$work/a" "$work/b"
  else
    diff -r -q "$tree" "$out" >/dev/null
  fi
}

tools=(arctool arctool1 pigz gzip zip zlib)
label() {
  case $1 in
    arctool) echo "arctool (all cores)";; arctool1) echo "arctool --threads 1";;
    pigz) echo "tar + pigz -9";; gzip) echo "tar + gzip -9 / tar xzf";;
    zip) echo "zip -9 / unzip";; zlib) echo "plain zlib (1 core)";;
  esac
}

trees=("$@")
[ ${#trees[@]} -gt 0 ] || read -r -a trees <<< "$(make_trees)"
echo "cores: $(nproc)   rounds: $runs"
for tree in "${trees[@]}"; do
  files=$(find "$tree" -type f | wc -l)
  bytes=$(du -sb "$tree" | cut -f1)
  echo
  echo "tree $(basename "$tree"): $files files, $((bytes / 1000000)) MB"
  printf '%-26s %10s %10s %12s\n' tool "pack s" "extract s" "archive MB"
  declare -A packt=() unpackt=() size=()
  for ((r = 0; r < runs; r++)); do
    for t in "${tools[@]}"; do
      arc="$work/arc.$t"
      rm -f "$arc"
      s=$(now); "pack_$t" "$tree" "$arc"; e=$(now)
      packt[$t]+="$(echo "$e - $s" | bc) "
      size[$t]=$(stat -c %s "$arc")
      out="$work/out.$t"
      rm -rf "$out"; mkdir -p "$out"; sync
      s=$(now); "unpack_$t" "$arc" "$out"; e=$(now)
      unpackt[$t]+="$(echo "$e - $s" | bc) "
      flat=0; [[ $t == arctool* ]] && flat=1
      same_tree "$tree" "$out" "$flat" || { echo "compare.sh: $t did not give the tree back" >&2; exit 1; }
      rm -rf "$out" "$arc"
    done
  done
  for t in "${tools[@]}"; do
    p=$(tr ' ' '\n' <<< "${packt[$t]}" | grep . | median)
    u=$(tr ' ' '\n' <<< "${unpackt[$t]}" | grep . | median)
    printf '%-26s %10.3f %10.3f %12.1f\n' "$(label "$t")" "$p" "$u" "$(echo "${size[$t]} / 1000000" | bc -l)"
  done
  unset packt unpackt size
done
