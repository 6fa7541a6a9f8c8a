#!/usr/bin/env bash
# Builds the picture loaders' libFuzzer targets (clang-14, ASan, UBSan) and fuzzes each decoder
# in turn on one core, seeded with the shared third-party pictures, read where they are.
#
# Usage: fuzz/run_picture_fuzzer.sh [--time SECONDS] [--build-dir DIR] [--work DIR] [--no-build]
#                                   [LOADER...] [-- LIBFUZZER-OPTIONS...]
#   LOADER        png, jpeg, gif, bmp (default: all four, one after another)
#   --time S      seconds per decoder (default 600)
#   --build-dir   where the fuzzers are built (default /tmp/ludomat-picture-fuzz)
#   --work DIR    corpora, findings and logs, kept between runs (default /tmp/ludomat-picture-fuzz-work)
#   --images DIR  the seed pictures (default ../shared/testdata/images beside the checkout)
#   --no-build    use the fuzzers already built
# New inputs go to WORK/corpus-LOADER; the seed folders are only read. Findings land in
# WORK/artifacts-LOADER/; replay one with BUILD/LOADER_picture_fuzzer FILE.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(dirname "$here")"
build_dir=/tmp/ludomat-picture-fuzz
work=/tmp/ludomat-picture-fuzz-work
images="$(dirname "$repo")/shared/testdata/images"
seconds=600
build=1
loaders=()
extra=()

while [ $# -gt 0 ]; do
  case "$1" in
    --time) seconds="$2"; shift 2 ;;
    --build-dir) build_dir="$2"; shift 2 ;;
    --work) work="$2"; shift 2 ;;
    --images) images="$2"; shift 2 ;;
    --no-build) build=0; shift ;;
    png|jpeg|gif|bmp) loaders+=("$1"); shift ;;
    --) shift; extra=("$@"); break ;;
    -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run_picture_fuzzer.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
[ ${#loaders[@]} -gt 0 ] || loaders=(png jpeg gif bmp)
[ -d "$images" ] || { echo "run_picture_fuzzer.sh: no seed pictures in $images" >&2; exit 2; }

if [ "$build" -eq 1 ]; then
  if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    CC=clang-14 CXX=clang++-14 cmake -S "$here" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$build_dir" -j2 --target "${loaders[@]/%/_picture_fuzzer}" >/dev/null
fi

# The bitmap reader of the toolkit may want a platform; it never needs a display.
export QT_QPA_PLATFORM=offscreen
for loader in "${loaders[@]}"; do
  seeds="$images/$loader"
  mkdir -p "$work/corpus-$loader" "$work/artifacts-$loader"
  log="$work/$loader.log"
  echo "== $loader: $seconds s, seeds $seeds, log $log"
  # A picture may take up to 16384 x 16384 pixels (1 GiB) by design; allow that much.
  status=0
  "$build_dir/${loader}_picture_fuzzer" -max_total_time="$seconds" -timeout=20 \
    -rss_limit_mb=3072 -malloc_limit_mb=1100 -print_final_stats=1 \
    -dict="$here/dict/$loader.dict" -artifact_prefix="$work/artifacts-$loader/" \
    "${extra[@]}" "$work/corpus-$loader" "$seeds" >"$log" 2>&1 || status=$?
  grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb)|ERROR|SUMMARY' "$log" | sed 's/^/  /' || true
  echo "  exit $status; findings: $(ls "$work/artifacts-$loader" | wc -l)"
done
