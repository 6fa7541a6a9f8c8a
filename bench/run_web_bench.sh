#!/usr/bin/env bash
# The exported web page in headless Chromium against ludomat-run, in one run: frames per second of
# the game scene (38 x 21 tile map, 50 keyed sprites, a refresh a frame; see scene/scene.py) and
# iterations per second of the counting loop, with the ratios browser / ludomat-run.
#
# Usage: bench/run_web_bench.sh [--frames N] [--loops N] [--repeat N] [--build-dir DIR]
#   --frames N     scene frames of the timed run (default 10000)
#   --loops N      counting-loop iterations of the timed run (default 50000000)
#   --repeat N     runs per side; the fastest counts (default 3)
#   --build-dir D  a build with ludomat-run, ludomat-export and the web runtime (default: build)
#
# Times are wall-clock seconds of the large run less those of a tiny one (2 frames, 1000 loops),
# so start-up is left out on both sides: Qt and the pictures for ludomat-run, fetching the page
# and compiling the WebAssembly for the browser.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(dirname "$here")"
frames=10000
loops=50000000
repeat=3
build_dir="$repo/build"
while [ $# -gt 0 ]; do
  case "$1" in
    --frames) frames="$2"; shift 2 ;;
    --loops) loops="$2"; shift 2 ;;
    --repeat) repeat="$2"; shift 2 ;;
    --build-dir) build_dir="$2"; shift 2 ;;
    -h|--help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run_web_bench.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
for f in ludomat-run ludomat-export ludomat-web/ludomat-web.wasm; do
  [ -e "$build_dir/$f" ] || { echo "run_web_bench.sh: $build_dir/$f not found; build first" >&2; exit 2; }
done
work="$(mktemp -d /tmp/ludomat-web-bench.XXXXXX)"
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$work}"
echo "Web benchmark, $(date '+%Y-%m-%d %H:%M'), $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "browser: $(chromium --version 2>/dev/null | head -1); runtime $(du -k "$build_dir/ludomat-web/ludomat-web.wasm" | cut -f1) KiB of WebAssembly"
echo "scene $frames frames, counting loop $loops iterations; fastest of $repeat runs, wall clock less a tiny run"
echo
node "$here/web_bench.mjs" "$build_dir" "$work" "$frames" "$loops" "$repeat"
