#!/usr/bin/env bash
# Runs orvande-cli on the bundled sample volume (samples/sample-fat16.img.xz), decompressed once
# into build/sample/: lists every folder and file with the deleted ones' recovery probability,
# then recovers the deleted files into build/sample/recovered/. Needs a build of the default
# preset (or ORVANDE_CLI=path/to/orvande-cli).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cli="${ORVANDE_CLI:-$root/build/default/bin/orvande-cli}"
packed="$root/samples/sample-fat16.img.xz"
image="$root/build/sample/sample-fat16.img"
recovered="$root/build/sample/recovered"

if [[ ! -x "$cli" ]]; then
  echo "run-sample.sh: $cli is missing; build first: cmake --preset default && cmake --build --preset default -j2" >&2
  exit 1
fi
if [[ ! -f "$image" || "$packed" -nt "$image" ]]; then
  mkdir -p "$(dirname "$image")"
  xz --decompress --stdout "$packed" >"$image.tmp"
  mv "$image.tmp" "$image"
fi

echo "== orvande-cli analyze $image"
"$cli" analyze "$image"

echo
echo "== orvande-cli recover $image --out $recovered"
# A fresh folder each run; deleted short names lost their first character, '_' stands in for it.
rm -rf "$recovered"
"$cli" recover "$image" --out "$recovered" --replace-char _

echo
echo "The deleted files of the sample are now in $recovered:"
(cd "$recovered" && find . -type f | sed 's|^\./|  |' | sort)
