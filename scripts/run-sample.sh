#!/usr/bin/env bash
# Runs orvande-cli on the bundled sample volume (samples/sample-fat16.img.xz), decompressed once
# into build/sample/. Needs a build of the default preset (or ORVANDE_CLI=path/to/orvande-cli).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cli="${ORVANDE_CLI:-$root/build/default/bin/orvande-cli}"
packed="$root/samples/sample-fat16.img.xz"
image="$root/build/sample/sample-fat16.img"

if [[ ! -x "$cli" ]]; then
  echo "run-sample.sh: $cli is missing; build first: cmake --preset default && cmake --build --preset default -j2" >&2
  exit 1
fi
if [[ ! -f "$image" || "$packed" -nt "$image" ]]; then
  mkdir -p "$(dirname "$image")"
  xz --decompress --stdout "$packed" >"$image.tmp"
  mv "$image.tmp" "$image"
fi

echo "== orvande-cli view $image (boot sector)"
"$cli" view "$image"
