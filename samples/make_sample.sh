#!/usr/bin/env bash
# Builds the small FAT16 sample volume that scripts/run-sample.sh analyses: a few folders and
# files with long names and fixed times, some of them deleted again (files with mdel, a folder
# with mdeltree). The volume is made only by the file system's own tools (mkfs.fat, mtools),
# never by Orvande, so it is an independent ground truth.
#
# Usage: samples/make_sample.sh [OUTPUT.img.xz]   (default: samples/sample-fat16.img.xz)
# Also writes OUTPUT's manifest next to it (.manifest): one line per folder and file,
#   <live|deleted> <file|folder> <size> <sha256 or -> <path>
# The result is byte-for-byte reproducible.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
output="${1:-$here/sample-fat16.img.xz}"
manifest="${output%.img.xz}.manifest"

for tool in mkfs.fat mcopy mmd mdel mdeltree xz sha256sum; do
  command -v "$tool" >/dev/null || { echo "make_sample.sh: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
image="$work/sample-fat16.img"
files="$work/files"
mkdir -p "$files"

# Fixed times: mtools stamps new folders with SOURCE_DATE_EPOCH, mcopy -m keeps each file's time.
export SOURCE_DATE_EPOCH=1088690400   # 2004-07-01 14:00:00 UTC
export MTOOLS_SKIP_CHECK=1
export TZ=UTC

# 8 MiB, 2 sectors per cluster: about 8,000 clusters, well inside FAT16.
mkfs.fat --invariant -F 16 -s 2 -n ORVSAMPLE -C "$image" 8192 >/dev/null

# Deterministic file contents: numbered text lines, or a byte pattern.
text_file() {  # path lines stamp
  local i
  for ((i = 1; i <= $2; i++)); do printf '%s line %04d: the quick brown fox jumps over the lazy dog\n' "$(basename "$1")" "$i"; done >"$1"
  touch -d "$3" "$1"
}
pattern_file() {  # path bytes stamp
  python3 -c 'import sys; n=int(sys.argv[2]); open(sys.argv[1],"wb").write(bytes((i*7+3)&0xFF for i in range(n)))' "$1" "$2"
  touch -d "$3" "$1"
}

m() { "$@" -i "$image"; }
put() {  # local-file volume-path
  mcopy -m -i "$image" "$1" "::$2"
}

m mmd "::Documents" "::Pictures" "::Projects" "::Projects/Orvande Notes" "::Pictures/Holiday 2003"

text_file "$files/readme.txt" 3 "2004-06-01 09:30:00"
text_file "$files/Quarterly Report 2004.txt" 120 "2004-06-15 17:45:10"
text_file "$files/old draft.txt" 40 "2004-05-02 08:00:00"
text_file "$files/Meeting minutes (June).txt" 25 "2004-06-20 11:11:12"
text_file "$files/todo.txt" 2 "2004-06-30 23:59:58"
pattern_file "$files/logo.bmp" 6000 "2004-04-04 04:04:04"
pattern_file "$files/beach sunset.jpg" 9000 "2003-08-10 19:20:30"
pattern_file "$files/mountain view.jpg" 3000 "2003-08-11 07:08:09"
text_file "$files/design notes for the recovery engine.txt" 60 "2004-06-25 10:00:00"
pattern_file "$files/build.log" 1500 "2004-06-26 12:34:56"

put "$files/readme.txt" "readme.txt"
put "$files/Quarterly Report 2004.txt" "Documents/Quarterly Report 2004.txt"
put "$files/old draft.txt" "Documents/old draft.txt"
put "$files/Meeting minutes (June).txt" "Documents/Meeting minutes (June).txt"
put "$files/todo.txt" "Documents/todo.txt"
put "$files/logo.bmp" "Pictures/logo.bmp"
put "$files/beach sunset.jpg" "Pictures/Holiday 2003/beach sunset.jpg"
put "$files/mountain view.jpg" "Pictures/Holiday 2003/mountain view.jpg"
put "$files/design notes for the recovery engine.txt" "Projects/Orvande Notes/design notes for the recovery engine.txt"
put "$files/build.log" "Projects/build.log"

# What stays and what goes (recorded before deleting, while the local copies are at hand).
record() {  # state local-file volume-path
  printf '%s file %d %s %s\n' "$1" "$(stat -c %s "$2")" "$(sha256sum "$2" | cut -d' ' -f1)" "$3"
}
folder() {  # state volume-path
  printf '%s folder 0 - %s\n' "$1" "$2"
}
{
  folder live "Documents"
  folder live "Pictures"
  folder deleted "Pictures/Holiday 2003"
  folder live "Projects"
  folder live "Projects/Orvande Notes"
  record live "$files/readme.txt" "readme.txt"
  record live "$files/Quarterly Report 2004.txt" "Documents/Quarterly Report 2004.txt"
  record deleted "$files/old draft.txt" "Documents/old draft.txt"
  record live "$files/Meeting minutes (June).txt" "Documents/Meeting minutes (June).txt"
  record deleted "$files/todo.txt" "Documents/todo.txt"
  record live "$files/logo.bmp" "Pictures/logo.bmp"
  record deleted "$files/beach sunset.jpg" "Pictures/Holiday 2003/beach sunset.jpg"
  record deleted "$files/mountain view.jpg" "Pictures/Holiday 2003/mountain view.jpg"
  record live "$files/design notes for the recovery engine.txt" "Projects/Orvande Notes/design notes for the recovery engine.txt"
  record deleted "$files/build.log" "Projects/build.log"
} >"$work/manifest"

m mdel "::Documents/old draft.txt" "::Documents/todo.txt" "::Projects/build.log"
m mdeltree "::Pictures/Holiday 2003"

xz -9e --check=crc64 --keep --stdout "$image" >"$output.tmp"
mv "$output.tmp" "$output"
mv "$work/manifest" "$manifest"
echo "wrote $output ($(stat -c %s "$output") bytes) and $manifest"
