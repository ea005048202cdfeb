#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures parcelbarge-cli backup and restore against zlib's own limit and the
# usual tools, on a generated corpus. Builds nothing: pass a build directory
# (a Release build gives meaningful figures).
#
#   bench/run.sh BUILD_DIR [--small] [--dir DIR] [--workers "1 2"] [--repeat N]
#                [--sets "large small"] [--no-peers] [--keep]
#
# --small     quick run: 32 MB of large files and 2,000 small files
# --dir DIR   where corpus and scratch space go (default /tmp/parcelbarge-bench)
# --workers   worker counts for the backup (default: 1 and the number of cores)
# --repeat N  measure everything N times, each round side by side, and report
#             the median of each figure and of each ratio taken in a round
# --sets      which trees to measure (default: both, the large files and the
#             tree of small files)
# --no-peers  leave out gzip, pigz and zip (tar, the restore's yardstick, stays)
# --keep      keep the scratch space (the corpus is always kept and reused)
set -euo pipefail

usage() { sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 2; }
[[ $# -ge 1 ]] || usage
build=$(cd "$1" && pwd)
shift
small=0 dir=/tmp/parcelbarge-bench workers="" repeat=1 keep=0 sets="large small" peers=1
while [[ $# -gt 0 ]]; do
  case $1 in
    --small) small=1 ;;
    --dir) dir=$2; shift ;;
    --workers) workers=$2; shift ;;
    --repeat) repeat=$2; shift ;;
    --sets) sets=$2; shift ;;
    --no-peers) peers=0 ;;
    --keep) keep=1 ;;
    *) usage ;;
  esac
  shift
done

bench=$build/bench/parcelbarge-bench
cli=${PB_CLI:-$build/app/parcelbarge-cli}
for tool in "$bench" "$cli"; do
  [[ -x $tool ]] || { echo "missing $tool: build the targets parcelbarge-bench and parcelbarge-cli first" >&2; exit 2; }
done
tools="/usr/bin/time tar sync"
[[ $peers == 0 ]] || tools="$tools gzip pigz zip unzip"
for tool in $tools; do
  command -v "$tool" >/dev/null || { echo "missing $tool: tools/install-deps --bench installs it" >&2; exit 2; }
done
grep -q 'CMAKE_BUILD_TYPE:STRING=Release' "$build/CMakeCache.txt" 2>/dev/null ||
  echo "warning: $build is not a Release build; its figures are not comparable" >&2

cores=$(nproc)
usage=$("$cli" --help 2>&1 || true)
if [[ $usage == *--workers* ]]; then
  workers=${workers:-"1 $cores"}
else
  workers=default  # a cli without the option compresses on the calling thread
fi

mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
if [[ $small == 1 ]]; then corpus=$dir/corpus-small corpusFlags=--small; else corpus=$dir/corpus corpusFlags=; fi
work=$dir/work
results=$dir/results.txt
rm -rf "$work"
mkdir -p "$work"
: >"$results"
trap '[[ $keep == 1 ]] || rm -rf "$work"' EXIT

# The corpus is reproducible, so one written before is reused.
if [[ ! -f $corpus/.complete ]]; then
  echo "== Writing the corpus to $corpus"
  rm -rf "$corpus"
  "$bench" corpus "$corpus" $corpusFlags | tee "$dir/corpus.txt"
  touch "$corpus/.complete"
fi
cat "$dir/corpus.txt" 2>/dev/null || true

# record SET KIND LABEL INPUT OUTPUT SECONDS PEAK_KB VOLUMES, of this round
# (for KIND "share": SET share LABEL PERCENT)
record() { echo "$round $*" >>"$results"; }

# timed LOG COMMAND...: runs the command under /usr/bin/time -v, sets
# seconds, peak (KB) and share, the calling thread's share of the command's
# CPU time in percent; stops the whole run when the command fails.
timed() {
  local log=$1 status=0 timer child ticks=0 sample
  shift
  sync
  /usr/bin/time -v -o "$work/time.txt" "$@" </dev/null >"$log" 2>&1 &
  timer=$!
  # The calling thread is the process's first; its times are sampled until it
  # ends, so the share misses at most the last sample's interval.
  while [[ -z ${child:-} ]] && kill -0 "$timer" 2>/dev/null; do
    child=$(cat "/proc/$timer/task/$timer/children" 2>/dev/null || true)
    child=${child%% *}
  done
  while [[ -n ${child:-} ]] && sample=$(awk '{print $14 + $15}' "/proc/$child/task/$child/stat" 2>/dev/null); do
    ticks=$sample
    sleep 0.02
  done
  wait "$timer" || status=$?
  if [[ $status != 0 ]]; then
    echo "failed: $*" >&2
    cat "$log" "$work/time.txt" >&2
    exit 1
  fi
  seconds=$(awk -F': ' '/Elapsed \(wall clock\)/ {
      n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$work/time.txt")
  peak=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  share=$(awk -F': ' -v ticks="$ticks" -v hz="$(getconf CLK_TCK)" '/(User|System) time \(seconds\)/ {cpu += $2}
      END {printf "%.1f", (cpu > 0 ? 100 * ticks / hz / cpu : 0)}' "$work/time.txt")
}

bytes_of() { du -sb --apparent-size "$@" | awk '{s += $1} END {print s + 0}'; }
# The identity record and the times record beside the volumes carry a random
# set identity, so they are neither volumes nor compared.
record_file=Parcelbarge-Kennung.txt
times_file=Parcelbarge-Zeiten.dat
count_volumes() { find "$1" -maxdepth 1 -type f ! -name "$record_file" ! -name "$times_file" | wc -l; }
# A file system may pass over inodes freed in the last minutes when it makes
# new ones (ext4 without a journal does), which would slow whatever creates
# files next: trees measured are put aside and removed only at the end.
aside=0
discard() {
  local path
  mkdir -p "$work/trash"
  for path in "$@"; do
    [[ -e $path ]] && mv "$path" "$work/trash/$((++aside))"
  done
  return 0
}
fresh() { discard "$1" && mkdir -p "$1"; }

# Fails the run when a restore does not give back the corpus.
verify() {
  diff -r -q "$corpus/$1" "$2" >/dev/null || { echo "restore of $3 differs from the corpus" >&2; exit 1; }
}

for round in $(seq "$repeat"); do
for set in $sets; do
  echo "== $set, round $round: zlib references in memory"
  input=$(find "$corpus/$set" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
  "$bench" zlib "$corpus/$set" --threads "$cores" | tee "$work/zlib.txt"
  awk -v round="$round" -v set="$set" '$1 == "RESULT" {print round, set, "ref", $2, $3, $4, $5, "-", "-"}' \
    "$work/zlib.txt" >>"$results"

  echo "== $set: parcelbarge-cli"
  for size in 1423K none; do
    sizeFlags=()
    [[ $size == none ]] || sizeFlags=(--volume-size "$size")
    first=""
    for w in $workers; do
      workerFlags=()
      [[ $w == default ]] || workerFlags=(--workers "$w")
      target=$work/pb-$size-$w
      fresh "$target"
      timed "$work/backup.log" "$cli" backup "${workerFlags[@]}" "${sizeFlags[@]}" "$target" "$corpus/$set"
      record "$set" backup "parcelbarge-$size-w$w" "$input" "$(bytes_of "$target")" "$seconds" "$peak" \
        "$(count_volumes "$target")"
      record "$set" share "parcelbarge-$size-w$w" "$share"
      if [[ -z $first ]]; then
        first=$target
      else
        if diff -r -q -x "$record_file" -x "$times_file" "$first" "$target" >/dev/null; then same=yes; else same=NO; fi
        record "$set" identical "parcelbarge-$size-w$w" "$same"
        discard "$target"
      fi
    done
    fresh "$work/restore"
    timed "$work/restore.log" "$cli" restore "$first" "$work/restore"
    record "$set" restore "parcelbarge-$size" "$input" "$(bytes_of "$first")" "$seconds" "$peak" \
      "$(count_volumes "$first")"
    verify "$set" "$work/restore${corpus}/$set" "parcelbarge-$size"
    discard "$first" "$work/restore"
  done

  if [[ $set == large ]]; then
    echo "== $set: repair volumes"
    w=${workers##* }
    workerFlags=()
    [[ $w == default ]] || workerFlags=(--workers "$w")
    for rows in 0 1 2; do
      target=$work/pb-repair-$rows
      fresh "$target"
      repairFlags=()
      [[ $rows == 0 ]] || repairFlags=(--repair-volumes "$rows")
      timed "$work/backup.log" "$cli" backup "${workerFlags[@]}" --volume-size 1423K "${repairFlags[@]}" \
        "$target" "$corpus/$set"
      record "$set" backup+repair "parcelbarge-1423K-r$rows" "$input" "$(bytes_of "$target")" "$seconds" "$peak" \
        "$(count_volumes "$target")"
      [[ $rows == 2 ]] || discard "$target"
    done
    # Two volumes of the first group lost; the repair reads the whole set.
    fresh "$work/lost"
    mv "$target/DataBlock#2.Parcelbarge" "$target/DataBlock#7.Parcelbarge" "$work/lost/"
    setBytes=$(bytes_of "$target")
    timed "$work/repair.log" "$cli" repair "$target"
    record "$set" repair "parcelbarge-repair-2-lost" "$setBytes" "$setBytes" "$seconds" "$peak" \
      "$(count_volumes "$target")"
    for lost in "$work/lost"/*; do
      cmp -s "$lost" "$target/${lost##*/}" || { echo "repair rebuilt ${lost##*/} wrongly" >&2; exit 1; }
    done
    discard "$target" "$work/lost"
  fi

  echo "== $set: tar and the peers"
  tar -cf "$work/$set.tar" -C "$corpus" "$set"
  fresh "$work/x"
  timed "$work/tar.log" tar -xf "$work/$set.tar" -C "$work/x"
  record "$set" restore tar-x "$input" "$(bytes_of "$work/$set.tar")" "$seconds" "$peak" 1
  verify "$set" "$work/x/$set" tar
  # The fair peer: a restore puts every file on the device before its beep.
  fresh "$work/x"
  timed "$work/tar.log" bash -c "tar -xf '$work/$set.tar' -C '$work/x' && sync -f '$work/x'"
  record "$set" restore tar-x+sync "$input" "$(bytes_of "$work/$set.tar")" "$seconds" "$peak" 1
  verify "$set" "$work/x/$set" tar+sync

  if [[ $peers == 0 ]]; then
    rm -f "$work/$set.tar"
    continue
  fi
  for tool in "gzip -6" "pigz -6 -p $cores"; do
    name=${tool%% *}
    timed "$work/$name.log" bash -c "$tool -c '$work/$set.tar' >'$work/$set.tar.gz'"
    record "$set" backup "$name-6" "$input" "$(bytes_of "$work/$set.tar.gz")" "$seconds" "$peak" 1
    fresh "$work/x"
    timed "$work/$name.log" bash -c "$name -dc '$work/$set.tar.gz' | tar -xf - -C '$work/x'"
    record "$set" restore "$name-6" "$input" "$(bytes_of "$work/$set.tar.gz")" "$seconds" "$peak" 1
    verify "$set" "$work/x/$set" "$name"
    rm -f "$work/$set.tar.gz"
  done
  rm -f "$work/$set.tar"

  fresh "$work/zip"
  timed "$work/zip.log" bash -c "cd '$corpus' && zip -q -r -s 1423k -6 '$work/zip/$set.zip' '$set'"
  record "$set" backup zip-s1423k "$input" "$(bytes_of "$work/zip")" "$seconds" "$peak" "$(count_volumes "$work/zip")"
  fresh "$work/x"
  # unzip reads no split archive: join it first, as a user would.
  timed "$work/zip.log" bash -c "zip -q -s 0 '$work/zip/$set.zip' --out '$work/joined.zip' && unzip -q '$work/joined.zip' -d '$work/x'"
  record "$set" restore zip-s1423k "$input" "$(bytes_of "$work/zip")" "$seconds" "$peak" "$(count_volumes "$work/zip")"
  verify "$set" "$work/x/$set" zip
  discard "$work/zip" "$work/x"
  rm -f "$work/joined.zip"
done
done

"$(dirname "$0")/report.awk" -v cores="$cores" "$results"
