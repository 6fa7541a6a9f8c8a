#!/usr/bin/env bash
# The member area's standard load runs against the real ludomat-server, on loopback only:
#   1. MEMBERS members with keep-alive, polling every 2 s and posting, for SECONDS;
#   2. the same with 400 connections trickling a header a byte every 3 s beside them;
#   3. one member polling at the start and at the end of a chat of 1,000,000 messages;
#   4. MEMBERS members through HAProxy to two servers on a PostgreSQL the bench starts, then the
#      same load on one server with SQLite, with each process's CPU and memory.
# Each run starts a fresh server and database and prints its own baseline (one member on an idle
# server, or the poll at depth 0), so the figures are ratios from the same run.
#
# Usage: bench/run_member_load.sh [--build-dir DIR] [MEMBERS=1000] [SECONDS=60]
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(dirname "$here")"
build_dir="$repo/build"
if [ "${1:-}" = "--build-dir" ]; then
  build_dir="$2"
  shift 2
fi
members="${1:-1000}"
seconds="${2:-60}"

cmake --build "$build_dir" --target ludomat-server member_load -j2 >/dev/null
load="$build_dir/bench/member_load"
[ -x "$load" ] || load="$build_dir/member_load"
server="$build_dir/server/ludomat-server"
[ -x "$server" ] || server="$build_dir/ludomat-server"
# A thousand members keep a thousand connections open on our side too.
ulimit -n "$(ulimit -Hn)"

status=0
echo "== $members membros, $seconds s"
"$load" "$server" "$members" "$seconds" || status=1
echo "== $members membros, $seconds s, com 400 conexões lentas"
"$load" "$server" "$members" "$seconds" 400 || status=1
echo "== leitura no fundo de 1 000 000 mensagens"
"$load" "$server" --depth 1000000 || status=1
for setup in balanced sqlite; do
  echo "== $members membros, $seconds s, configuração $setup"
  "$load" "$server" --setup "$setup" "$members" "$seconds" || status=1
done
exit $status
