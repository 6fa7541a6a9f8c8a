#!/usr/bin/env bash
# Builds the libFuzzer target of the line parser and the interpreter (clang, ASan, UBSan) in
# build-fuzz/ and runs it on one core, seeded with the script corpus of tests/scripts. Its own
# mutator draws lines from the command table; the dictionary below serves libFuzzer's byte changes.
#
# Usage: bench/run_fuzzer.sh [--time SECONDS] [--corpus DIR] [--no-build] [-- LIBFUZZER-OPTIONS...]
#   --time S      how long to fuzz (default 300)
#   --corpus DIR  the working corpus, kept between runs (default /tmp/ludomat-fuzz-corpus)
#   --no-build    use the script_fuzzer already built
# To replay a finding: build-fuzz/script_fuzzer FILE (LUDOMAT_FUZZ_FRESH_ENGINE=1 for a fresh
# engine, as in a run of its own).
#
# Nothing is written outside /tmp: when the kernel allows it, the fuzzer runs in a mount namespace
# where every file system but /tmp is read-only, so a script that names a file "../../x" cannot
# reach the checkout or the home folder.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(dirname "$here")"
build_dir="$repo/build-fuzz"
seconds=300
corpus=/tmp/ludomat-fuzz-corpus
build=1
extra=()

while [ $# -gt 0 ]; do
  case "$1" in
    --time) seconds="$2"; shift 2 ;;
    --corpus) corpus="$2"; shift 2 ;;
    --no-build) build=0; shift ;;
    --) shift; extra=("$@"); break ;;
    -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run_fuzzer.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
case "$corpus" in /tmp/*) ;; *) echo "run_fuzzer.sh: the corpus must live under /tmp" >&2; exit 2 ;; esac

if [ "$build" -eq 1 ]; then
  if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    CC=clang-14 CXX=clang++-14 cmake -S "$repo" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DLUDOMAT_FUZZ=ON -DLUDOMAT_SKIP="studio;app;tests;tools" >/dev/null
  fi
  cmake --build "$build_dir" --target script_fuzzer -j2 >/dev/null
fi
fuzzer="$build_dir/script_fuzzer"
[ -x "$fuzzer" ] || { echo "run_fuzzer.sh: $fuzzer not found" >&2; exit 2; }

work="$(mktemp -d /tmp/ludomat-fuzz-run.XXXXXX)"
mkdir -p "$corpus" "$work/artifacts"

# Seeds: every script of the corpus, and ours for what the corpus seldom does (break and step,
# chained arguments, calls into files), copied (never linked) so the fuzzer cannot touch the checkout.
find "$repo/tests/scripts" "$here/fuzz-seeds" -name '*.scp' -print0 |
  while IFS= read -r -d '' file; do
    cp "$file" "$corpus/seed-$(echo "${file#"$repo"/}" | tr '/' '_')"
  done

# A dictionary: every command word of the table, and the marks and names the parser gives meaning to.
{
  grep -ho '^ *{"[^"]*"' "$repo"/engine/commands/*.cpp | sed 's/^ *{"//; s/"$//' | tr ' ' '\n' |
    grep -v '^$' | sort -u | sed 's/\\/\\\\/g; s/"/\\"/g; s/.*/"& "/'
  printf '"%s"\n' '#' '$' ',' ':' '/' "'" '~' '^' '&Prm=' '&Prx=' '&Pry=' '&Ptx=' '&Pty=' \
    '249' '250' '251' '-1' '2147483647' '-2147483648' '$FF' 'sub' 'chain' 'loop' 'back' 'empty' 'dir' \
    'fuzz' 'prm' 'prx' 'pry' 'off' 'FF00FF' 'end' 'sheet.png' 'tiles.png' 'quadro.bmp' 'quebrada.png' \
    'mapa.tlm' 'ruim.tlm' 'goto a' 'gosub :a' ':a' ':b' ': a' 'goto  a'
  # Labels at a line start, and a label as the very last line.
  printf '"\\x0a:a"\n"\\x0d\\x0a:a"\n"\\x0a:a\\x0a"\n'
  printf '"\\x0d\\x0a"\n"\\x0a"\n"\\x0d"\n'
} >"$work/script.dict"

export UBSAN_OPTIONS="print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen
export LUDOMAT_FUZZ_TMP="$work"
# Leaks are looked for once, at the end: a check after every input whose allocations outnumber
# its frees (the shared engine keeps what it grew) would cost more than the fuzzing itself.
options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 -detect_leaks=0
         -dict="$work/script.dict" -artifact_prefix="$work/artifacts/" -print_final_stats=1
         "${extra[@]}" "$corpus")

sandbox=(unshare --mount --propagation private sh -c '
  mount --bind /tmp /tmp || exit 90
  for target in $(awk "{ print \$2 }" /proc/self/mounts | sort -u); do
    case "$target" in /tmp|/tmp/*|/proc|/proc/*|/sys|/sys/*|/dev|/dev/*) continue ;; esac
    mount -o remount,bind,ro "$target" 2>/dev/null || true
  done
  # access() says no to writes on a read-only file system, also for root.
  { [ -w / ] || [ -w "$LUDOMAT_REPO" ]; } && exit 91
  exec "$@"' sandbox)
export LUDOMAT_REPO="$repo"
if "${sandbox[@]}" true 2>/dev/null; then
  runner=("${sandbox[@]}")
  echo "Fuzzing for ${seconds}s; only /tmp is writable. Corpus $corpus, findings $work/artifacts"
else
  runner=()
  echo "Fuzzing for ${seconds}s WITHOUT the read-only sandbox (no mount namespace here)."
fi

cd "$work"

"${runner[@]}" "$fuzzer" "${options[@]}" 2>&1 | tee "$work/fuzz.log" |
  grep -E '^(#[0-9]+.*(INITED|pulse|DONE)|INFO: Seed|stat::|==[0-9]+==ERROR|SUMMARY|artifact_prefix|Test unit written)' || true

rm -rf "$work"/ludomat-fuzz-*
echo
echo "log: $work/fuzz.log"
if ls "$work/artifacts"/* >/dev/null 2>&1; then
  echo "findings:"
  ls -l "$work/artifacts"
  echo "replay: $fuzzer FILE    reduce: $fuzzer -minimize_crash=1 -runs=10000 FILE"
  exit 1
fi
echo "no findings"
