#!/usr/bin/env bash
# Analyses a large NTFS volume (160,000 files in 16,000 folders, a third of them deleted) in the
# desktop window, offscreen, and sets its figures against `orvande-cli analyze` of the same
# volume: the longest stall of the window's event loop (goal: under 100 ms), the time until the
# files tree is complete (goal: within 20% of the CLI's analysis) and the peak resident size.
#
# Usage: bench/gui_analysis_bench.sh [BUILD_DIR]
#   BUILD_DIR  default: build/bench (configured with the bench preset, built here when needed)
# Environment: WORK_DIR (default /tmp/orvande-gui-bench) holds the volume; KEEP_VOLUME=1 keeps it
#   for the next run (made again otherwise: it takes a few minutes); FILES, FOLDERS, RUNS
#   (default 3; the best run counts); SHOW_ROOT=1 shows the volume root in the file list while
#   it is filled.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/bench}"
work="${WORK_DIR:-/tmp/orvande-gui-bench}"
runs="${RUNS:-3}"
export FILES="${FILES:-160000}" FOLDERS="${FOLDERS:-16000}"

if [[ ! -x "$build/bin/gui_analysis_bench" || ! -x "$build/bin/orvande-cli" ]]; then
  [[ -f "$build/CMakeCache.txt" ]] || (cd "$root" && cmake --preset bench > /dev/null)
  cmake --build "$build" -j2 --target gui_analysis_bench orvande-cli > /dev/null
fi

MAKE_ONLY=1 "$root/bench/ntfs_analyze_bench.sh" "" "$work"
image="$work/volume.img"
[[ "${KEEP_VOLUME:-}" == 1 ]] || trap 'rm -f "$image" "$work/volume.params"' EXIT

cat "$image" > /dev/null  # both readers then see the same page cache

gui_args=("$image")
[[ "${SHOW_ROOT:-}" == 1 ]] && gui_args+=(--show-root)

# The window: its own figures, best tree time of $runs runs (that run's stall and memory).
best_gui=""
for _ in $(seq "$runs"); do
  out="$(QT_QPA_PLATFORM=offscreen "$build/bin/gui_analysis_bench" "${gui_args[@]}")"
  t="$(awk '/tree complete after/ {print $4}' <<< "$out")"
  if [[ -z "$best_gui" ]] || awk -v a="$t" -v b="$best_gui" 'BEGIN { exit !(a < b) }'; then
    best_gui="$t"
    best_out="$out"
  fi
done

# The CLI: best wall time and its peak resident size.
best_cli=""
log="$(mktemp)"
for _ in $(seq "$runs"); do
  /usr/bin/time -f '%e %M' -o "$log" "$build/bin/orvande-cli" analyze "$image" > /dev/null
  read -r t kib < "$log"
  if [[ -z "$best_cli" ]] || awk -v a="$t" -v b="$best_cli" 'BEGIN { exit !(a < b) }'; then
    best_cli="$t"
    cli_kib="$kib"
  fi
done
rm -f "$log"

gui_mib="$(awk '/peak resident size/ {print $4}' <<< "$best_out")"
echo "volume: $image ($FILES files in $FOLDERS folders), best of $runs"
echo "$best_out"
printf 'orvande-cli analyze:        %.3f s, peak %.1f MiB\n' "$best_cli" "$(echo "$cli_kib/1024" | bc -l)"
printf 'tree / cli time:            %.2f (goal <= 1.20)\n' "$(echo "$best_gui/$best_cli" | bc -l)"
printf 'window / cli memory:        %.2f\n' "$(echo "$gui_mib/($cli_kib/1024)" | bc -l)"
