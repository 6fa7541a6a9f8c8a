#!/usr/bin/env bash
# The game scene of run_scene_bench.sh run inside the studio window on an X display (Xvfb when
# none is set), against ludomat-run on the same script in the same run: the window must not be
# what slows a game. Prints frames per second of both, by CPU time and by wall time, and the ratio.
#
# Usage: bench/run_studio_scene_bench.sh [--frames N] [--repeat N] [--build-dir DIR] [--no-build]
#   --frames N     frames per timed run (default 5000)
#   --repeat N     runs per side; the fastest counts (default 3)
#   --build-dir D  the build folder holding ludomat-run and studio_scene_bench (default: build)
#   --no-build     use what is already built
#
# ludomat-run's times are those of its process less a one-frame run; the studio's are those of
# "Executar" inside the shown window (studio_scene_bench) less a one-frame run, so start-up,
# loading the pictures and the sprites are left out on both sides.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(dirname "$here")"
scene="$here/scene/scene.py"
frames=5000
repeat=3
build_dir="$repo/build"
build=1
python=/usr/bin/python3
arguments=("$@")

while [ $# -gt 0 ]; do
  case "$1" in
    --frames) frames="$2"; shift 2 ;;
    --repeat) repeat="$2"; shift 2 ;;
    --build-dir) build_dir="$2"; shift 2 ;;
    --no-build) build=0; shift ;;
    -h|--help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run_studio_scene_bench.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

# The studio needs a display; without one the whole run happens on a fresh Xvfb.
if [ -z "${DISPLAY:-}" ]; then
  command -v xvfb-run >/dev/null || { echo "run_studio_scene_bench.sh: xvfb-run missing (scripts/install-deps.sh)" >&2; exit 2; }
  exec xvfb-run -a -s "-screen 0 1600x900x24" "$0" "${arguments[@]}"
fi

# shellcheck source=bench_common.sh
source "$here/bench_common.sh"
# scene.py draws the tile strip and the sprite sheet with pygame.
"$python" -c 'import pygame' 2>/dev/null || apt_install python3-pygame
export PYGAME_HIDE_SUPPORT_PROMPT=1 SDL_VIDEODRIVER=dummy

if [ "$build" -eq 1 ]; then
  cmake --build "$build_dir" --target ludomat-run studio_scene_bench -j2 >/dev/null
fi
ludomat_run="$build_dir/ludomat-run"
studio="$build_dir/studio_scene_bench"
for program in "$ludomat_run" "$studio"; do
  [ -x "$program" ] || { echo "run_studio_scene_bench.sh: $program not found" >&2; exit 2; }
done

work="$(mktemp -d /tmp/ludomat-studio-scene.XXXXXX)"
trap 'rm -rf "$work"' EXIT
use_private_runtime_folder "$work"
mkdir -p "$work/program"

"$python" "$scene" assets "$work"
for n in 1 "$frames"; do
  "$python" "$scene" script "$work" "$n"
  mv "$work/scene.scp" "$work/scene-$n.scp"
done

run_cli() {  # frames -> "cpu wall"
  local n="$1" out start end TIMEFORMAT='%3U %3S %3R' u s r
  { time (cd "$work" && QT_QPA_PLATFORM=offscreen "$ludomat_run" --registers "scene-$n.scp" >"$work/out.txt" 2>"$work/err.txt" </dev/null) ; } 2>"$work/times.txt"
  grep -qx "1=$n" "$work/out.txt" || { echo "run_studio_scene_bench.sh: ludomat-run stopped before frame $n" >&2; cat "$work/err.txt" >&2; exit 1; }
  read -r u s r <"$work/times.txt"
  awk -v u="$u" -v s="$s" -v r="$r" 'BEGIN { printf "%.3f %.3f\n", u + s, r }'
}

run_studio() {  # frames -> "cpu wall"
  local n="$1" cpu wall counter
  read -r cpu wall counter < <(QT_QPA_PLATFORM=xcb "$studio" "$work/scene-$n.scp" "$work/program" 1 2>"$work/err.txt")
  [ "$counter" = "$n" ] || { echo "run_studio_scene_bench.sh: the studio stopped before frame $n" >&2; cat "$work/err.txt" >&2; exit 1; }
  echo "$cpu $wall"
}

measure() {  # side -> fps_cpu fps_wall
  local side="$1" i c w best_c='' best_w='' one_c='' one_w=''
  for ((i = 0; i < repeat; i++)); do
    read -r c w < <("run_$side" 1); one_c=$(min "$one_c" "$c"); one_w=$(min "$one_w" "$w")
    read -r c w < <("run_$side" "$frames"); best_c=$(min "$best_c" "$c"); best_w=$(min "$best_w" "$w")
  done
  awk -v n="$frames" -v c="$best_c" -v oc="$one_c" -v w="$best_w" -v ow="$one_w" \
    'BEGIN { tc = c - oc; tw = w - ow; if (tc < 0.001) tc = 0.001; if (tw < 0.001) tw = 0.001;
             printf "%.0f %.0f\n", (n - 1) / tc, (n - 1) / tw }'
}

echo "Studio scene benchmark, $(date '+%Y-%m-%d %H:%M'), $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "display:     $DISPLAY; build $(git -C "$repo" describe --always --dirty 2>/dev/null || echo '?')"
echo "scene:       as run_scene_bench.sh, $frames frames; fastest of $repeat runs, less a one-frame run"
echo
printf '%-14s %12s %12s\n' side fps_by_cpu fps_by_wall
read -r cli_c cli_w < <(measure cli)
printf '%-14s %12s %12s\n' ludomat-run "$cli_c" "$cli_w"
read -r st_c st_w < <(measure studio)
printf '%-14s %12s %12s\n' studio-window "$st_c" "$st_w"
echo
echo "ratio studio / ludomat-run: by CPU $(awk -v a="$st_c" -v b="$cli_c" 'BEGIN { printf "%.2f", a / b }'), by wall $(awk -v a="$st_w" -v b="$cli_w" 'BEGIN { printf "%.2f", a / b }')"
ok=$(awk -v a="$st_c" -v b="$cli_c" 'BEGIN { print (a >= 0.9 * b) ? "met" : "NOT met" }')
echo "  studio >= 90 % of ludomat-run (CPU): $ok"
