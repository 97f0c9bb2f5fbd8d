#!/usr/bin/env bash
# Makes the volume of the NTFS recovery benchmark (root only: mkntfs and an ntfs-3g mount):
#   big.bin   1 GiB of random bytes in about 10,000 fragments (FRAGMENTS), written into holes of
#             13 clusters left between 1-cluster keepers after a filler took every other free
#             cluster. ntfs-3g puts about half of the keepers away from their holes, so the holes
#             are twice as many as the fragments wanted and merge in pairs on average;
#   c/text.txt  64 MiB of text in a folder with the compressed attribute, so LZNT1-compressed.
# Writes IMAGE and IMAGE.records ("big N" and "text N": their MFT record numbers).
#
# Usage: bench/ntfs_make_recover_image.sh IMAGE
set -euo pipefail

image="$1"
fragments="${FRAGMENTS:-10000}"
hole_clusters=13
mnt="$(mktemp -d)"
trap 'umount "$mnt" 2>/dev/null || true; rmdir "$mnt"' EXIT

truncate -s 0 "$image"
truncate -s 1300M "$image"
mkntfs -F -q -f -c 4096 "$image" > /dev/null 2>&1
ntfs-3g -o compression "$image" "$mnt"

mkdir "$mnt/spacers"
python3 - "$mnt/spacers" "$((fragments * 2))" "$hole_clusters" <<'PY'
import os, sys
folder, count, hole = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
keep = b"k" * 4096
gap = b"h" * (hole * 4096)
for i in range(count + 200):
    with open(os.path.join(folder, f"k{i:05d}"), "wb") as f:
        f.write(keep)
    with open(os.path.join(folder, f"h{i:05d}"), "wb") as f:
        f.write(gap)
PY
# The filler takes what is left, so that the holes are the only free clusters.
dd if=/dev/zero of="$mnt/filler" bs=1M status=none 2>/dev/null || true
find "$mnt/spacers" -name 'h*' -delete
head -c 1073741824 /dev/urandom > "$mnt/big.bin"
rm -f "$mnt/filler"

mkdir "$mnt/c"
python3 - "$mnt/c" <<'PY'
import os, sys
folder = sys.argv[1]
value = int.from_bytes(os.getxattr(folder, "system.ntfs_attrib_be"), "big") | 0x800
os.setxattr(folder, "system.ntfs_attrib_be", value.to_bytes(4, "big"))
words = "alpha bravo cedar delta ember fjord grove harbor island jasper kettle lumen".split()
with open(os.path.join(folder, "text.txt"), "wb") as f:
    line = 0
    written = 0
    while written < 64 << 20:
        text = f"{line:08d} " + " ".join(words[(line * 7 + k) % len(words)] for k in range(9)) + "\n"
        f.write(text.encode())
        written += len(text)
        line += 1
PY
big=$(stat -c %i "$mnt/big.bin")
text=$(stat -c %i "$mnt/c/text.txt")
umount "$mnt"
printf 'big %s\ntext %s\n' "$big" "$text" > "$image.records"
echo "big.bin: record $big, $(istat -r "$image" "$big" | grep -c 'Starting address') fragments; text.txt: record $text"
