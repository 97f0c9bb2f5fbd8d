#!/usr/bin/env bash
# Times the recovery of every file (orvande-cli recover --all-files) of the 1 GiB FAT32 volume
# with 50,000 files that bench/fat_analyze_bench.sh makes, against `tsk_recover -e`, `mcopy -s`
# and `cp -r` of the same files, all writing into tmpfs (/dev/shm) so that no disk hides the
# cost. Each tool runs $RUNS times (best wall time kept) with the image in the page cache; the
# CPU time (user + system) of the best run is shown as well, since on a busy machine it is the
# steadier measure.
#
#   bench/fat_recover_bench.sh            builds Release binaries in build/bench if needed
#   BUILD_DIR=build/x RUNS=5 bench/fat_recover_bench.sh
#   IMAGE=/tmp/ntfs.img bench/fat_recover_bench.sh   any other volume image, NTFS ones included
#                                         (those of bench/ntfs_analyze_bench.sh and
#                                         bench/ntfs_make_recover_image.sh); mcopy is left out there
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build/bench}
image=${IMAGE:-$root/build/bench-data/fat32-1g-50k.img}
runs=${RUNS:-3}
scratch=${SCRATCH:-/dev/shm/orvande-recover-bench}

need() { command -v "$1" > /dev/null || { echo "missing tool: $1" >&2; exit 1; }; }
need tsk_recover; need bc; need /usr/bin/time; need blkid
fat=0

if [[ ! -f $image ]]; then
  echo "making the benchmark volume (bench/fat_analyze_bench.sh) ..." >&2
  RUNS=1 BUILD_DIR=$build_dir "$root/bench/fat_analyze_bench.sh" > /dev/null
fi
if [[ ! -x $build_dir/bin/orvande-cli ]]; then
  echo "building a Release orvande-cli in $build_dir ..." >&2
  cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DORVANDE_BUILD_TESTS=OFF > /dev/null
  cmake --build "$build_dir" --target orvande-cli -j2 > /dev/null
fi
cli=$build_dir/bin/orvande-cli
[[ $(blkid -o value -s TYPE "$image") == vfat ]] && fat=1
(( fat == 0 )) || need mcopy

rm -rf "$scratch"
mkdir -p "$scratch"
trap 'rm -rf "$scratch"' EXIT

# A tree of the same files in tmpfs for cp -r to read (made once, outside the timing).
"$cli" recover "$image" --out "$scratch/source" --all-files --replace-char _ > /dev/null

# run NAME OUTPUT COMMAND...: best wall time of $runs runs into an emptied OUTPUT; prints
# "wall cpu bytes files".
run() {
  local name=$1 output=$2
  shift 2
  local best="" bestCpu=""
  for _ in $(seq "$runs"); do
    rm -rf "$output"
    mkdir -p "$output"
    sync
    /usr/bin/time -f '%e %U %S' -o "$scratch/time" "$@" > /dev/null 2>&1 ||
      { echo "$name failed" >&2; return 1; }
    local wall user sys
    read -r wall user sys < "$scratch/time"
    local cpu
    cpu=$(echo "$user + $sys" | bc -l)
    if [[ -z $best ]] || (( $(echo "$wall < $best" | bc -l) )); then best=$wall; bestCpu=$cpu; fi
  done
  local bytes files
  bytes=$(find "$output" -type f -printf '%s\n' | awk '{s += $1} END {printf "%.0f\n", s}')
  files=$(find "$output" -type f | wc -l)
  echo "$best $bestCpu $bytes $files"
}

cat "$image" > /dev/null  # every reader then finds the image in the page cache

ours=$(run orvande "$scratch/ours" "$cli" recover "$image" --out "$scratch/ours" --all-files \
  --replace-char _ --on-exists replace)
tsk=$(run tsk_recover "$scratch/tsk" tsk_recover -e "$image" "$scratch/tsk")
(( fat == 0 )) || mc=$(run mcopy "$scratch/mcopy" mcopy -s -n -m -i "$image" '::/*' "$scratch/mcopy/")
cpr=$(run cp "$scratch/cp" cp -r "$scratch/source/." "$scratch/cp/")

line() {
  local label=$1 wall cpu bytes files
  read -r wall cpu bytes files <<< "$2"
  local mbs cpumbs
  mbs=$(echo "$bytes / 1000000 / $wall" | bc -l)
  cpumbs=$(echo "$bytes / 1000000 / $cpu" | bc -l)
  printf '%-28s %6d files %5d MB  %6.2f s wall %7.1f MB/s   %6.2f s cpu %7.1f MB/s\n' \
    "$label" "$files" $((bytes / 1000000)) "$wall" "$mbs" "$cpu" "$cpumbs"
}

echo "image: $image ($(du -h "$image" | cut -f1)), output in $scratch (tmpfs), best of $runs"
line "orvande-cli recover" "$ours"
line "tsk_recover -e" "$tsk"
(( fat == 0 )) || line "mcopy -s" "$mc"
line "cp -r (tmpfs to tmpfs)" "$cpr"
read -r ow oc _ _ <<< "$ours"
read -r tw tc _ _ <<< "$tsk"
printf 'orvande-cli against tsk_recover -e: %.2f x faster by wall time, %.2f x by cpu time\n' \
  "$(echo "$tw / $ow" | bc -l)" "$(echo "$tc / $oc" | bc -l)"
