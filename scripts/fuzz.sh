#!/usr/bin/env bash
# Fuzzes one reader of untrusted input with libFuzzer for a while, under
# AddressSanitizer and UndefinedBehaviorSanitizer:
#   archive  install archives, listed and extracted (seeds made by arctool)
#   tables   table files opened and read (seeds made by table_fuzz_seeds)
#   images   the viewer's picture readers (seeds made by image_fuzz_seeds)
#   gif      the GIF reader, composed through every frame
#   rtf      the RTF reader, and the writer on what it read
#   html     a page tokenised, parsed, laid out, painted and submitted
# The targets live in fuzz/, one folder each; VOREL_FUZZ=ON adds them.
# Needs clang; without it the run is skipped. All targets share build-fuzz/.
# Usage: scripts/fuzz.sh TARGET [seconds]   (default 20 s)
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: scripts/fuzz.sh archive|tables|images|gif|rtf|html [seconds]}
seconds=${2:-20}
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ not found, skipped"
  exit 0
fi
dir=build-fuzz
# Asserts stay on: the configuration's flags follow CMAKE_CXX_FLAGS and would
# define NDEBUG.
cmake -S . -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOREL_FUZZ=ON -DVOREL_BENCH=OFF \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g -UNDEBUG" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
build() { cmake --build "$dir" --target "$@" -j "$(( $(nproc) / 2 > 0 ? $(nproc) / 2 : 1 ))"; }

seeds="$dir/$target-seeds"
corpus="$dir/$target-corpus"
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus"
export QT_QPA_PLATFORM=offscreen
max_len=8192
rss_mb=2048
quarantine_mb=256  # AddressSanitizer's default
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
    # Every picture is bounded from its header well below these (a picture
    # at the read cap peaks near 150 MB); a few hundred bytes of progressive
    # JPEG that ran away went past both. The sanitizer's quarantine of freed
    # blocks is kept small so that it does not count as the picture's memory.
    rss_mb=512
    quarantine_mb=64
    extra=(-timeout=5)
    ;;
  gif)
    build gif_fuzz
    # A two-frame animation with a loop, transparency, a comment and a local
    # table, and a one-pixel picture.
    printf 'GIF89a\x02\x00\x01\x00\x81\x00\x00\x00\x00\x00\xff\x00\x00\x00\xff\x00\x00\x00\xff!\xff\x0bNETSCAPE2.0\x03\x01\x02\x00\x00!\xf9\x04\x0d\x05\x00\x00\x00!\xfe\x02hi\x00,\x00\x00\x00\x00\x02\x00\x01\x00\x81\x00\x00\x00\xff\xff\xff\x00\x00\x00\x00\x00\x00\x02\x03\x0c\x10\x05\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x40\x02\x02\x44\x01\x00;' > "$seeds/anim.gif"
    printf 'GIF87a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;' > "$seeds/one.gif"
    # Decoding is bounded by a page's pixel budget, as in the viewer: a GIF
    # filling it (seven transparent 2048 x 2048 frames, a few hundred bytes)
    # takes about 400 MB and 6 s here, under the sanitizers.
    rss_mb=768
    quarantine_mb=64
    extra=(-timeout=15)
    ;;
  rtf)
    build rtf_fuzz
    printf '%s' '{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss Arial;}{\f1\fnil\fcharset2 Symbol;}}{\colortbl ;\red255\green0\blue0;}\viewkind4\uc1\pard\qc\b\f0\fs32 Title\b0\par\pard\li720\fi-360\cf1 red \cf0\i it\i0\ul ul\ulnone\par{\pntext\f1\'"'"'B7\tab}{\*\pn\pnlvlblt\pnf1{\pntxtb\'"'"'B7}}One\par}' > "$seeds/wordpad.rtf"
    printf '%s' '{\rtf1\ansi{\*\listtable{\list{\listlevel{\leveltext\'"'"'01\u-3913 ?;}}}}{\info{\title t}}\pard\ls1{\listtext\'"'"'b7\tab}Item\par\uc2 A\u8364\'"'"'80\'"'"'80B\u-10179?\u-8704?{\pict\bin4 {}\}\trowd\cellx100 a\cell b\cell\row}' > "$seeds/word.rtf"
    printf '%s' '{\rtf1{\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}}\line\tab\~\_\-\emdash\'"'"'e9}' > "$seeds/symbols.rtf"
    ;;
  html)
    build html_fuzz
    printf '%s' '<HTML><HEAD><TITLE>t</TITLE></HEAD><BODY BGCOLOR=white BACKGROUND=b.bmp><H1 ALIGN=center>IC</H1><P>a <B>b</B> <A HREF="x.htm#n" NAME=n>link</A><BR><IMG SRC=g.gif ALIGN=left ALT=x><IMG SRC=b.bmp WIDTH=50% USEMAP=#m ISMAP><IMG SRC=p.gif HEIGHT=20><MAP NAME=m><AREA SHAPE=rect COORDS=0,0,5,5 HREF=a></MAP><HR SIZE=3><UL><LI>one<OL TYPE=a START=3><LI>two</OL></UL><DL><DT>t<DD>d</DL><BLOCKQUOTE><PRE>p  re</PRE></BLOCKQUOTE><CENTER>c</CENTER></BODY></HTML>' > "$seeds/page.htm"
    printf '%s' '<FORM ACTION=find METHOD=POST><TABLE BORDER=1 WIDTH=90% CELLPADDING=2 BGCOLOR=silver><CAPTION ALIGN=bottom>c</CAPTION><TR BGCOLOR=red><TH COLSPAN=2>h<TD ROWSPAN=3 WIDTH=30>x<TR><TD VALIGN=bottom><INPUT TYPE=radio NAME=r CHECKED><INPUT TYPE=checkbox NAME=c><TD><INPUT NAME=q SIZE=5 MAXLENGTH=3><INPUT TYPE=hidden NAME=h VALUE=1><TR><TD><SELECT NAME=s><OPTION>a<OPTION SELECTED VALUE=2>b</SELECT><SELECT NAME=m MULTIPLE SIZE=3><OPTION>x</SELECT><TD><TEXTAREA NAME=t ROWS=2 COLS=4>l1
l2</TEXTAREA><INPUT TYPE=image SRC=g.gif NAME=i><INPUT TYPE=submit NAME=go VALUE=Go><INPUT TYPE=reset></TABLE></FORM>' > "$seeds/form.htm"
    printf '%s' '<TABLE ALIGN=right><TD><TABLE><TD><INPUT TYPE=radio></BODY>K' > "$seeds/open.htm"
    # Tag and attribute names, so mutations make markup.
    for w in TABLE TR TD TH CAPTION FORM INPUT SELECT OPTION TEXTAREA IMG MAP AREA HR BR P A UL OL LI DL DT DD PRE \
             BLOCKQUOTE CENTER DIV FONT BODY H1 B I U SUB SUP TYPE=radio TYPE=image COLSPAN ROWSPAN WIDTH HEIGHT \
             ALIGN=left ALIGN=right BGCOLOR SRC=g.gif SRC=b.bmp SRC=p.gif MULTIPLE SIZE CHECKED NAME; do
      printf '"<%s"\n"</%s>"\n"%s"\n' "$w" "$w" "$w"
    done > "$dir/html.dict"
    extra=(-dict="$dir/html.dict" -timeout=10)
    ;;
  *)
    echo "fuzz: unknown target $target" >&2
    exit 2
    ;;
esac

export ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=$quarantine_mb
"$dir/bin/${target%s}_fuzz" -artifact_prefix="$dir/" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb="$rss_mb" "${extra[@]}" \
  -print_final_stats=1 "$corpus" "$seeds"
