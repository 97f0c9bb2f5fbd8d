#!/usr/bin/env bash
# Times the analysis of a 1 GiB FAT32 volume holding 50,000 files (some deleted) against
# `fls -r -p` and against reading the image once with `cat`, and prints the ratios.
#
#   bench/fat_analyze_bench.sh            builds Release binaries in build/bench if needed
#   BUILD_DIR=build/x bench/fat_analyze_bench.sh
#
# The image is made once with mkfs.fat and mtools and kept in build/bench-data/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build/bench}
data_dir=$root/build/bench-data
image=$data_dir/fat32-1g-50k.img
runs=${RUNS:-3}

need() { command -v "$1" > /dev/null || { echo "missing tool: $1" >&2; exit 1; }; }
need mkfs.fat; need mcopy; need mdel; need mdeltree; need fls; need python3

make_image() {
  local tree=$data_dir/tree
  rm -rf "$tree" "$image.tmp"
  mkdir -p "$tree"
  echo "making 50,000 files in $tree ..." >&2
  python3 - "$tree" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(20240607)
pool = rng.randbytes(8 << 20)
for d in range(200):
    folder = os.path.join(root, "Folder %03d with a long name" % d)
    os.mkdir(folder)
    for f in range(250):
        size = rng.randrange(256, 24 * 1024)
        start = rng.randrange(0, len(pool) - size)
        name = "Document %05d of folder %03d.dat" % (f, d) if f % 2 else "F%05d.TXT" % f
        with open(os.path.join(folder, name), "wb") as out:
            out.write(pool[start:start + size])
PY
  echo "formatting and copying (mkfs.fat, mcopy) ..." >&2
  mkfs.fat -F 32 -s 8 -C --invariant "$image.tmp" $((1024 * 1024)) > /dev/null
  mcopy -s -Q -i "$image.tmp" "$tree"/* ::/
  # Deleted content: two whole folders and every 50th file of another.
  mdeltree -i "$image.tmp" "::/Folder 010 with a long name" "::/Folder 150 with a long name"
  local victims=()
  for f in $(seq 1 50 249); do
    if (( f % 2 )); then victims+=("::/Folder 020 with a long name/Document $(printf %05d "$f") of folder 020.dat"); fi
  done
  mdel -i "$image.tmp" "${victims[@]}"
  mv "$image.tmp" "$image"
  rm -rf "$tree"
}

mkdir -p "$data_dir"
[[ -f $image ]] || make_image

if [[ ! -x $build_dir/bin/orvande-cli || ! -x $build_dir/bin/fat_buildtree_bench ]]; then
  echo "building Release binaries in $build_dir ..." >&2
  cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DORVANDE_BUILD_TESTS=OFF \
    -DORVANDE_BUILD_BENCH=ON > /dev/null
  cmake --build "$build_dir" --target fat_buildtree_bench -j2 > /dev/null
  cmake --build "$build_dir" --target orvande-cli -j2 > /dev/null || true
fi

# Best of $runs wall-clock seconds of a command (output discarded).
best_time() {
  local best=""
  for _ in $(seq "$runs"); do
    local start end t
    start=$(date +%s.%N)
    "$@" > /dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [[ -z $best ]] || (( $(echo "$t < $best" | bc -l) )); then best=$t; fi
  done
  printf '%.3f' "$best"
}

cat "$image" > /dev/null  # warm the page cache: every reader then sees the same cache

t_cat=$(best_time cat "$image")
t_fls=$(best_time fls -r -p "$image")
t_build=$(best_time "$build_dir/bin/fat_buildtree_bench" "$image")
if [[ -x $build_dir/bin/orvande-cli ]]; then
  t_cli=$(best_time "$build_dir/bin/orvande-cli" analyze "$image")
else
  t_cli=""
fi

echo "image:                       $image ($(du -h "$image" | cut -f1))"
"$build_dir/bin/fat_buildtree_bench" "$image" | sed 's/^/tree build:                  /'
echo "fls -r -p items:             $(fls -r -p "$image" | wc -l)"
echo "cat image > /dev/null:       ${t_cat} s"
echo "fls -r -p:                   ${t_fls} s"
echo "FAT tree build (bench exe):  ${t_build} s  = $(echo "$t_build / $t_cat" | bc -l | xargs printf '%.2f') x cat, $(echo "$t_build / $t_fls" | bc -l | xargs printf '%.2f') x fls"
if [[ -n $t_cli ]]; then
  echo "orvande-cli analyze:         ${t_cli} s  = $(echo "$t_cli / $t_cat" | bc -l | xargs printf '%.2f') x cat, $(echo "$t_cli / $t_fls" | bc -l | xargs printf '%.2f') x fls"
fi
