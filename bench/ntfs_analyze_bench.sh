#!/usr/bin/env bash
# Times `orvande-cli analyze` on a large NTFS volume against `fls -r -p` of The Sleuth Kit (an
# independent reader doing the same listing) and against `cat IMAGE > /dev/null` (the read limit),
# and reports the peak memory of each.
#
# Usage: bench/ntfs_analyze_bench.sh [ORVANDE_CLI] [WORK_DIR]
#   ORVANDE_CLI  default: build/release/bin/orvande-cli, else the first orvande-cli found under build/
#   WORK_DIR     default: /tmp/orvande-ntfs-bench (the image is kept there and reused)
# Environment: FILES (default 210000 files), FOLDERS (default 210), RUNS (default 3);
#   MAKE_ONLY=1 only makes (or keeps) WORK_DIR/volume.img and measures nothing, for other benches.
#
# The volume is made at bench time with mkntfs and an ntfs-3g mount (root only): FOLDERS folders
# of files of 0 to 6000 bytes (small ones stay inside their records, larger ones get clusters),
# then every third file and a few whole folders are deleted, so about a third of the records are
# deleted ones.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
cli="${1:-}"
work="${2:-/tmp/orvande-ntfs-bench}"
files="${FILES:-210000}"
folders="${FOLDERS:-210}"
runs="${RUNS:-3}"

if [[ -z "$cli" ]]; then
  if [[ -x "$here/build/release/bin/orvande-cli" ]]; then
    cli="$here/build/release/bin/orvande-cli"
  else
    cli="$(find "$here/build" -name orvande-cli -type f -perm -u+x 2>/dev/null | head -n 1)"
  fi
fi
[[ -n "${MAKE_ONLY:-}" || -x "$cli" ]] || { echo "orvande-cli not found; build it or pass its path" >&2; exit 2; }
for tool in mkntfs ntfs-3g fls /usr/bin/time python3; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done

mkdir -p "$work"
image="$work/volume.img"
stamp="$work/volume.params"
params="files=$files folders=$folders v2"

make_volume() {
  local mnt
  mnt="$(mktemp -d)"
  rm -f "$image"
  truncate -s 4G "$image"
  mkntfs -F -f -q -c 4096 -L BENCH "$image" >/dev/null 2>&1
  ntfs-3g -o big_writes "$image" "$mnt"
  trap 'umount "$mnt" 2>/dev/null || true; rmdir "$mnt" 2>/dev/null || true' RETURN
  python3 - "$mnt" "$files" "$folders" <<'EOF'
import os, random, sys
root, files, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(20240611)
per = files // folders
payload = bytes(rng.getrandbits(8) for _ in range(8192))
made = []
for f in range(folders):
    folder = os.path.join(root, "folder %04d" % f)
    os.mkdir(folder)
    for i in range(per):
        size = rng.choice((0, 40, 300, 700, 1500, 3000, 6000))
        path = os.path.join(folder, "file %06d.dat" % (f * per + i))
        with open(path, "wb") as out:
            out.write(payload[i % 2048:i % 2048 + size])
        made.append(path)
# Every third file goes, and every 25th folder goes whole.
for index, path in enumerate(made):
    if index % 3 == 0:
        os.remove(path)
for f in range(0, folders, 25):
    folder = os.path.join(root, "folder %04d" % f)
    for name in os.listdir(folder):
        os.remove(os.path.join(folder, name))
    os.rmdir(folder)
EOF
  sync
  umount "$mnt"
  echo "$params" >"$stamp"
}

if [[ ! -f "$image" || ! -f "$stamp" || "$(cat "$stamp")" != "$params" ]]; then
  echo "making the volume ($files files in $folders folders; this takes a few minutes)..." >&2
  make_volume
fi
[[ -z "${MAKE_ONLY:-}" ]] || exit 0

# Best wall time in seconds, the processor time (user + system) of that run and the peak
# resident size in KiB of a command, over $runs runs. On a shared machine the processor time is
# the steadier figure.
measure() {
  local best="" cpu="" peak=0 log
  log="$(mktemp)"
  for _ in $(seq "$runs"); do
    /usr/bin/time -v -o "$log" "$@" >/dev/null 2>&1 || true
    local wall rss
    wall="$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$log" |
      awk -F: '{ if (NF == 3) print $1*3600 + $2*60 + $3; else print $1*60 + $2 }')"
    rss="$(awk -F': ' '/Maximum resident set size/ {print $2}' "$log")"
    if [[ -z "$best" ]] || awk -v a="$wall" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best="$wall"
      cpu="$(awk -F': ' '/User time|System time/ {s += $2} END {print s}' "$log")"
    fi
    (( rss > peak )) && peak="$rss"
  done
  rm -f "$log"
  echo "$best $cpu $peak"
}

records="$("$cli" analyze "$image" --json 2>/dev/null | grep -c '"path"' || true)"
deleted="$("$cli" analyze "$image" --json 2>/dev/null | grep -c '"deleted":true' || true)"
echo "image: $image ($(du -h --apparent-size "$image" | cut -f1), $records items listed, $deleted deleted)"

read -r cat_s cat_cpu cat_kb < <(measure cat "$image")
read -r fls_s fls_cpu fls_kb < <(measure fls -r -p "$image")
read -r ovd_s ovd_cpu ovd_kb < <(measure "$cli" analyze "$image")
read -r ovj_s ovj_cpu ovj_kb < <(measure "$cli" analyze "$image" --json)

row() { printf '%-34s %10.2f %10.2f %14.1f\n' "$1" "$2" "$3" "$(echo "$4/1024" | bc -l)"; }
printf '%-34s %10s %10s %14s\n' "command (best of $runs)" "seconds" "cpu s" "peak RSS MiB"
row "cat IMAGE > /dev/null" "$cat_s" "$cat_cpu" "$cat_kb"
row "fls -r -p IMAGE" "$fls_s" "$fls_cpu" "$fls_kb"
row "orvande-cli analyze IMAGE" "$ovd_s" "$ovd_cpu" "$ovd_kb"
row "orvande-cli analyze IMAGE --json" "$ovj_s" "$ovj_cpu" "$ovj_kb"
printf 'analyze / fls: %.3f wall, %.3f cpu\n' "$(echo "$ovd_s/$fls_s" | bc -l)" "$(echo "$ovd_cpu/$fls_cpu" | bc -l)"
