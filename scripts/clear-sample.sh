#!/usr/bin/env bash
# Makes room for a new sample installation at DIR: removes DIR only when
# vorel-sample wrote it (its marker file is there) or when it is an empty
# folder. Anything else is left alone and the script fails with a message.
# Usage: scripts/clear-sample.sh DIR
set -euo pipefail
marker=.vorel-sample
dir=${1:?usage: clear-sample.sh DIR}

if [ ! -e "$dir" ] && [ ! -L "$dir" ]; then exit 0; fi
if [ -L "$dir" ]; then
  echo "clear-sample: $dir is a symbolic link; not touched" >&2
  exit 1
fi
if [ ! -d "$dir" ]; then
  echo "clear-sample: $dir is not a folder; not touched" >&2
  exit 1
fi
if [ -f "$dir/$marker" ]; then
  rm -rf -- "$dir"
elif [ -z "$(ls -A -- "$dir")" ]; then
  rmdir -- "$dir"
else
  echo "clear-sample: $dir holds files that vorel-sample did not write (no $marker in it); not touched." >&2
  echo "clear-sample: name a new or empty folder, or a sample folder written before." >&2
  exit 1
fi
