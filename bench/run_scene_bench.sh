#!/usr/bin/env bash
# Game-scene frame rate: a full-screen tile map, 50 sprites and a refresh a frame, run by
# ludomat-run and, as the baseline in the same run, the same scene drawn with pygame (SDL software
# surfaces of 24 bits with colour keys). Prints frames per second of both and their ratio.
#
# Usage: bench/run_scene_bench.sh [--frames N] [--repeat N] [--build-dir DIR] [--no-build] [--no-sprites]
#   --frames N     frames per timed run (default 10000, both sides)
#   --repeat N     runs per program; the fastest counts (default 3; the machines are shared and noisy)
#   --build-dir D  where ludomat-run is built (default: build-bench beside this folder)
#   --no-build     use the ludomat-run already in the build folder
#   --no-sprites   the tile map and the refresh only
#
# The scene is described once, in scene/scene.py, which also makes the tile strip, the map and the
# sprite sheet (nothing is copied in) and writes the script. Before timing, both sides draw a few
# frames and their final screens must be equal pixel for pixel, so neither side can skip work.
# Times are CPU seconds (user + system) of the fastest run less those of the same program run for
# one frame, which leaves out start-up (Qt, SDL, Python) and the loading of pictures and sprites.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(dirname "$here")"
# shellcheck source=bench_common.sh
source "$here/bench_common.sh"
scene="$here/scene/scene.py"
frames=10000
repeat=3
build_dir="$repo/build-bench"
build=1
sprites=1
python=/usr/bin/python3   # Debian's, which has python3-pygame; not a shim of another Python

while [ $# -gt 0 ]; do
  case "$1" in
    --frames) frames="$2"; shift 2 ;;
    --repeat) repeat="$2"; shift 2 ;;
    --build-dir) build_dir="$2"; shift 2 ;;
    --no-build) build=0; shift ;;
    --no-sprites) sprites=0; shift ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run_scene_bench.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

export QT_QPA_PLATFORM=offscreen SDL_VIDEODRIVER=dummy PYGAME_HIDE_SUPPORT_PROMPT=1
"$python" -c 'import pygame' 2>/dev/null || apt_install python3-pygame

[ "$build" -eq 1 ] && build_ludomat_run "$repo" "$build_dir"
ludomat_run="$build_dir/ludomat-run"
[ -x "$ludomat_run" ] || { echo "run_scene_bench.sh: $ludomat_run not found" >&2; exit 2; }

work="$(mktemp -d /tmp/ludomat-scene.XXXXXX)"
trap 'rm -rf "$work"' EXIT
use_private_runtime_folder "$work"

"$python" "$scene" assets "$work"

sprite_flag() { [ "$sprites" -eq 1 ] || printf -- '--no-sprites'; }

write_script() {  # frames -> $work/scene-N.scp, made before any timing
  "$python" "$scene" script "$work" "$1" $(sprite_flag)
  mv "$work/scene.scp" "$work/scene-$1.scp"
}

run_ludomat() {  # frames [snapshot] -> runs scene-N.scp once; checks the frame counter
  local n="$1" snapshot="${2:-}" out
  set -- --registers
  [ -n "$snapshot" ] && set -- "$@" --snapshot "$snapshot"
  out=$(cd "$work" && "$ludomat_run" "$@" "scene-$n.scp" 2>"$work/err.txt" </dev/null) || {
    echo "run_scene_bench.sh: ludomat-run failed:" >&2; sed 's/^/  /' "$work/err.txt" >&2; exit 1; }
  grep -qx "1=$n" <<<"$out" || { echo "run_scene_bench.sh: ludomat-run stopped before frame $n" >&2; exit 1; }
}

run_pygame() {  # frames [snapshot]
  local snapshot=()
  [ -n "${2:-}" ] && snapshot=(--snapshot "$2")
  "$python" "$scene" pygame "$work" "$1" $(sprite_flag) "${snapshot[@]}"
}

# Both sides must draw the same picture. If the sprite lines drew nothing at all (the engine has no
# sprite commands yet), the comparison says so and the bench measures the scene without them.
check_same_picture() {
  local probe=7
  write_script "$probe"
  run_ludomat "$probe" "$work/ludomat.png"
  run_pygame "$probe" "$work/pygame.png"
  "$python" "$scene" compare "$work/ludomat.png" "$work/pygame.png" >"$work/compare.txt" && return
  if [ "$sprites" -eq 1 ]; then
    sprites=0
    write_script "$probe"
    run_ludomat "$probe" "$work/bare.png"
    if "$python" "$scene" compare "$work/ludomat.png" "$work/bare.png" >/dev/null; then
      echo "note: the sprite lines drew nothing (no sprite commands in this build); measuring without sprites"
      check_same_picture
      return
    fi
  fi
  echo "run_scene_bench.sh: the two sides drew different pictures: $(cat "$work/compare.txt")" >&2
  exit 1
}
check_same_picture
write_script 1
write_script "$frames"

cpu_of() {  # command... -> prints user + system CPU seconds of one run
  local TIMEFORMAT='%3U %3S' u s
  { time "$@" >/dev/null ; } 2>"$work/times.txt"
  read -r u s <"$work/times.txt"
  awk -v u="$u" -v s="$s" 'BEGIN { printf "%.3f", u + s }'
}

measure() {  # side -> best_cpu, start_cpu (fastest of $repeat each), fps
  local side="$1" i c
  best_cpu='' start_cpu=''
  for ((i = 0; i < repeat; i++)); do
    c=$(cpu_of "run_$side" 1); start_cpu=$(min "$start_cpu" "$c")
    c=$(cpu_of "run_$side" "$frames"); best_cpu=$(min "$best_cpu" "$c")
  done
  fps=$(awk -v n="$frames" -v c="$best_cpu" -v s="$start_cpu" \
        'BEGIN { t = c - s; if (t < 0.001) t = 0.001; printf "%.0f", (n - 1) / t }')
}

what="tile map 38 x 21 (20 x 20, magenta key)"
[ "$sprites" -eq 1 ] && what="$what + 50 sprites 32 x 32 (magenta key)"
echo "Scene benchmark, $(date '+%Y-%m-%d %H:%M'), $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "ludomat-run: $ludomat_run, built $(date -r "$ludomat_run" '+%Y-%m-%d %H:%M') from $(git -C "$repo" describe --always --dirty 2>/dev/null || echo '?')"
echo "baseline:    pygame $("$python" -c 'import pygame; print(pygame.version.ver, "SDL", ".".join(map(str, pygame.get_sdl_version())))')"
echo "scene:       $what + refresh, $frames frames; fastest of $repeat runs, CPU time less a one-frame run"
echo "check:       both sides' screens equal after 7 frames"
echo
printf '%-12s %8s %8s %10s\n' side start_s cpu_s frames/s
measure ludomat; own=$fps
printf '%-12s %8.3f %8.3f %10s\n' ludomat-run "$start_cpu" "$best_cpu" "$fps"
measure pygame; base=$fps
printf '%-12s %8.3f %8.3f %10s\n' pygame "$start_cpu" "$best_cpu" "$fps"
echo
echo "ratio ludomat-run / pygame: $(awk -v a="$own" -v b="$base" 'BEGIN { printf "%.2f", a / b }')"
ok=$(awk -v a="$own" -v b="$base" 'BEGIN { print (a >= 3000 && a > b) ? "met" : "NOT met" }')
echo "  >= 3000 frames/s and ahead of pygame: $ok"
