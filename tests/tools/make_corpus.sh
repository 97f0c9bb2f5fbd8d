#!/bin/sh
# Remakes the corpus images from scratch and stores them, xz-compressed, with
# their manifests in tests/data/.
#
#   tests/tools/make_corpus.sh            every image
#   tests/tools/make_corpus.sh fat16 ...  only the images named
#
# Needs mkfs.fat, mtools, mkntfs, ntfs-3g, The Sleuth Kit and xz; the NTFS
# images need root and /dev/fuse. CI never runs this: it only decompresses.
set -eu

tools=$(cd "$(dirname "$0")" && pwd)
data=$(cd "$tools/../data" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ "$#" -eq 0 ]; then
  set -- fat12 fat16 fat32 ntfs512 ntfs4k ntfs4kn
fi

for name in "$@"; do
  case "$name" in
    fat*) python3 "$tools/make_fat_images.py" "$work" "$name" ;;
    ntfs*) python3 "$tools/make_ntfs_images.py" "$work" "$name" ;;
    *) echo "unknown image: $name" >&2; exit 2 ;;
  esac
  # Single-threaded so the same image compresses to the same bytes.
  xz -9 -T1 -c "$work/$name.img" > "$data/$name.img.xz"
  cp "$work/$name.manifest.json" "$data/$name.manifest.json"
  echo "$name: $(stat -c %s "$work/$name.img") bytes, $(stat -c %s "$data/$name.img.xz") compressed"
  rm -f "$work/$name.img"
done
