#!/usr/bin/env bash
# Script-engine throughput: two loops run by ludomat-run and, as baselines in the same run, the same
# loops in two line-numbered BASIC interpreters (brandy, bwbasic). Prints executed lines per second,
# the ratios against each baseline and the peak memory of every run.
#
# Usage: bench/run_benchmarks.sh [--repeat N] [--scale F] [--build-dir DIR] [--no-build]
#   --repeat N     runs per program; the fastest counts (default 3; the machines are shared and noisy)
#   --scale F      multiplies every iteration count (default 1)
#   --build-dir D  where ludomat-run is built (default: build-bench beside this folder)
#   --no-build     use the ludomat-run already in the build folder
#
# How lines are counted, the same on both sides: the lines executed per loop iteration. A label the
# loop jumps to is not executed (the jump runs the line after it), so the counting loop executes two
# lines per iteration ("inc", "ifreg<"), and its BASIC twin two statements ("I%=I%+1",
# "IF I%<N THEN 20"). The text loop executes five of each. The few lines before and after the loop
# are not counted. Times are CPU seconds (user + system) of the fastest run, less the CPU time of the
# same program run for one iteration, so interpreter start-up (Qt, SDL) is left out.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(dirname "$here")"
# shellcheck source=bench_common.sh
source "$here/bench_common.sh"
repeat=3
scale=1
build_dir="$repo/build-bench"
build=1

while [ $# -gt 0 ]; do
  case "$1" in
    --repeat) repeat="$2"; shift 2 ;;
    --scale) scale="$2"; shift 2 ;;
    --build-dir) build_dir="$2"; shift 2 ;;
    --no-build) build=0; shift ;;
    -h|--help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run_benchmarks.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

# --- tools ------------------------------------------------------------------------------------

install_missing() {
  local missing=()
  command -v brandy >/dev/null || missing+=(brandy)
  command -v bwbasic >/dev/null || missing+=(bwbasic)
  [ -x /usr/bin/time ] || missing+=(time)
  apt_install "${missing[@]}"
}
install_missing

[ "$build" -eq 1 ] && build_ludomat_run "$repo" "$build_dir"
ludomat_run="$build_dir/ludomat-run"
[ -x "$ludomat_run" ] || { echo "run_benchmarks.sh: $ludomat_run not found" >&2; exit 2; }

work="$(mktemp -d /tmp/ludomat-bench.XXXXXX)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
export SDL_VIDEODRIVER=dummy   # brandy draws into an SDL window; without one it takes over the terminal
use_private_runtime_folder "$work"

# --- the programs -----------------------------------------------------------------------------
# Each generator writes the program for N iterations to stdout. Every program leaves a result the
# check after the run reads, so a run that stopped early or took another path is never timed.

count_scp() {
  printf ':loop\ninc 1\nifreg< 1,%s,loop\n' "$1"
}
count_brandy() {
  printf '10 I%%=0\n20 I%%=I%%+1\n30 IF I%%<%s THEN 20\n' "$1"
  printf '40 F%%=OPENOUT("result.txt"):BPUT#F%%,STR$(I%%):CLOSE#F%%\n50 END\n'
}
count_bwbasic() {
  # bwbasic has no integer variables; its numbers are doubles.
  printf '10 I=0\n20 I=I+1\n30 IF I<%s THEN 20\n40 PRINT "result";I\n50 SYSTEM\n' "$1"
}

# Per iteration: copy a text through a "#" reference, append to it, compare it as text (never
# equal, so no jump), count, loop.
text_scp() {
  printf 'reg= 2,abc\n:loop\nreg= 3,#2\nreg$ 3,x\nifreg= 3,abcy,wrong\ninc 1\nifreg< 1,%s,loop\nfim\n' "$1"
  printf ':wrong\nreg= 9,wrong\n'
}
text_brandy() {
  printf '10 B$="abc":I%%=0\n20 A$=B$\n30 A$=A$+"x"\n40 IF A$="abcy" THEN 100\n50 I%%=I%%+1\n'
  printf '60 IF I%%<%s THEN 20\n' "$1"
  printf '70 F%%=OPENOUT("result.txt"):BPUT#F%%,STR$(I%%)+A$:CLOSE#F%%\n80 END\n100 END\n'
}
text_bwbasic() {
  printf '10 B$="abc":I=0\n20 A$=B$\n30 A$=A$+"x"\n40 IF A$="abcy" THEN 100\n50 I=I+1\n'
  printf '60 IF I<%s THEN 20\n70 PRINT "result";I;" ";A$\n80 SYSTEM\n100 SYSTEM\n' "$1"
}

# Expected result of each interpreter for N iterations of a workload.
expect_ludomat() { [ "$1" = count ] && printf '1=%s' "$2" || printf '1=%s\n2=abc\n3=abcx' "$2"; }
expect_brandy() { [ "$1" = count ] && printf '%s' "$2" || printf '%sabcx' "$2"; }
expect_bwbasic() { [ "$1" = count ] && printf 'result %s' "$2" || printf 'result %s abcx' "$2"; }

run_program() {  # interpreter workload iterations -> runs once in $work, sets rss_kb, cpu_s, wall_s
  local interp="$1" workload="$2" n="$3" file result expected
  rm -f "$work/result.txt"
  case "$interp" in
    ludomat-run) file="$work/$workload.scp"; "${workload}_scp" "$n" >"$file"
                 set -- "$ludomat_run" --registers "$file" ;;
    brandy)      file="$work/$workload.bas"; "${workload}_brandy" "$n" >"$file"
                 set -- brandy -quit "$file" ;;
    bwbasic)     file="$work/$workload.bwb"; "${workload}_bwbasic" "$n" >"$file"
                 set -- bwbasic "$file" ;;
  esac
  local TIMEFORMAT='%3R %3U %3S'
  { time (cd "$work" && /usr/bin/time -f '%M' -o "$work/rss.txt" "$@" >"$work/out.txt" 2>"$work/err.txt" </dev/null) ; } 2>"$work/times.txt"
  read -r wall_s user_s sys_s <"$work/times.txt"
  cpu_s=$(awk -v u="$user_s" -v s="$sys_s" 'BEGIN { printf "%.3f", u + s }')
  rss_kb=$(tail -n 1 "$work/rss.txt")
  case "$interp" in
    ludomat-run) result=$(cat "$work/out.txt") ;;
    brandy)      result=$(cat "$work/result.txt" 2>/dev/null | tr -d '\r\n') ;;
    bwbasic)     result=$(grep '^result' "$work/out.txt" | sed 's/  */ /g; s/ *$//') ;;
  esac
  expected=$("expect_${interp%-run}" "$workload" "$n")
  if [ "$result" != "$expected" ]; then
    echo "run_benchmarks.sh: $interp $workload $n gave '$result', expected '$expected'" >&2
    sed 's/^/  /' "$work/err.txt" >&2
    exit 1
  fi
}

measure() {  # interpreter workload iterations -> best_cpu, best_wall, start_cpu, peak_rss_kb, start_rss_kb
  local interp="$1" workload="$2" n="$3" i
  best_cpu='' best_wall='' start_cpu='' peak_rss_kb=0 start_rss_kb=0
  for ((i = 0; i < repeat; i++)); do
    run_program "$interp" "$workload" 1
    start_cpu=$(awk -v a="${start_cpu:-1e9}" -v b="$cpu_s" 'BEGIN { print (b < a ? b : a) }')
    start_rss_kb=$rss_kb
    run_program "$interp" "$workload" "$n"
    best_cpu=$(awk -v a="${best_cpu:-1e9}" -v b="$cpu_s" 'BEGIN { print (b < a ? b : a) }')
    best_wall=$(awk -v a="${best_wall:-1e9}" -v b="$wall_s" 'BEGIN { print (b < a ? b : a) }')
    if [ "$rss_kb" -gt "$peak_rss_kb" ]; then peak_rss_kb=$rss_kb; fi
  done
}

# --- the run ----------------------------------------------------------------------------------

# workload, lines per iteration, iterations for ludomat-run and brandy, iterations for bwbasic
# (about a hundred times slower). Add a workload with one line here and its generators above.
workloads=(
  "count 2 10000000 300000"
  "text 5 4000000 100000"
)
interpreters=(ludomat-run brandy bwbasic)

echo "Script engine benchmark, $(date '+%Y-%m-%d %H:%M'), $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
# The binary may be built from a working tree with edits: say which, and when.
echo "ludomat-run: $ludomat_run, built $(date -r "$ludomat_run" '+%Y-%m-%d %H:%M') from $(git -C "$repo" describe --always --dirty 2>/dev/null || echo '?')"
echo "baselines:   $(brandy -version 2>/dev/null | head -n 1 | cut -c1-60); bwbasic $(dpkg-query -W -f='${Version}' bwbasic 2>/dev/null || echo '?')"
echo "fastest of $repeat runs; CPU time less start-up; lines counted per loop iteration (see the top of this script)"
echo
printf '%-8s %-12s %10s %10s %8s %8s %8s %9s %11s %11s\n' \
  workload interpreter iterations lines start_s cpu_s wall_s "Mlines/s" "maxRSS_MB" "1-iter_MB"

declare -A rate
for row in "${workloads[@]}"; do
  read -r workload per_iter n_fast n_slow <<<"$row"
  for interp in "${interpreters[@]}"; do
    n=$n_fast
    [ "$interp" = bwbasic ] && n=$n_slow
    n=$(awk -v n="$n" -v f="$scale" 'BEGIN { v = int(n * f); print (v < 1 ? 1 : v) }')
    measure "$interp" "$workload" "$n"
    lines=$((n * per_iter))
    r=$(awk -v l="$lines" -v c="$best_cpu" -v s="$start_cpu" \
        'BEGIN { t = c - s; if (t < 0.001) t = 0.001; printf "%.2f", l / t / 1e6 }')
    rate[$workload,$interp]=$r
    # Peak memory of the long run beside that of one iteration: growth would mean memory held per line.
    printf '%-8s %-12s %10s %10s %8.3f %8.3f %8.3f %9s %11.1f %11.1f\n' \
      "$workload" "$interp" "$n" "$lines" "$start_cpu" "$best_cpu" "$best_wall" "$r" \
      "$(awk -v k="$peak_rss_kb" 'BEGIN { print k / 1024 }')" "$(awk -v k="$start_rss_kb" 'BEGIN { print k / 1024 }')"
  done
done

echo
echo "ratios (ludomat-run lines/s divided by the baseline's):"
for row in "${workloads[@]}"; do
  read -r workload _ <<<"$row"
  own=${rate[$workload,ludomat-run]}
  printf '  %-6s vs brandy %6.2f   vs bwbasic %7.1f\n' "$workload" \
    "$(awk -v a="$own" -v b="${rate[$workload,brandy]}" 'BEGIN { print a / b }')" \
    "$(awk -v a="$own" -v b="${rate[$workload,bwbasic]}" 'BEGIN { print a / b }')"
done

echo
verdict() {  # label rate minimum-Mlines/s [minimum ratio to brandy]
  local ok
  ok=$(awk -v r="$2" -v m="$3" -v b="${4:-0}" 'BEGIN { print (r >= m && r >= b) ? "met" : "NOT met" }')
  echo "  $1: $ok"
}
verdict "count loop >= 20 M lines/s and >= half of brandy" "${rate[count,ludomat-run]}" 20 \
  "$(awk -v b="${rate[count,brandy]}" 'BEGIN { print b / 2 }')"
verdict "text loop >= 10 M lines/s" "${rate[text,ludomat-run]}" 10
