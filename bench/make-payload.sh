#!/bin/sh
# Writes the benchmark's payload: the product's eight file names filled with
# random bytes (nothing compresses or deduplicates), TOTAL bytes in all, shared
# out roughly as a real product's files would be. Does nothing when DIR already
# holds a payload of that size.
# Usage: make-payload.sh DIR TOTAL
set -eu
dir=$1 total=$2
stamp="$dir/.payload-$total"
[ -f "$stamp" ] && exit 0
mkdir -p "$dir"
rm -f "$dir"/.payload-*

# name and share of the total in thousandths; the last file takes what is left.
left=$total
while read -r name share; do
    if [ "$name" = Unsetup.bat ]; then size=$left; else size=$((total * share / 1000)); fi
    left=$((left - size))
    head -c "$size" /dev/urandom >"$dir/$name"
done <<'LIST'
Nim2Alph.exe 420
tour.kvr 300
calm.mid 40
nimbet2.mid 60
Notes.doc 30
options.exe 80
Unsetup.exe 60
Unsetup.bat 10
LIST
touch "$stamp"
