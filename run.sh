#!/usr/bin/env bash
# Installs what is missing, builds, starts our server on a free loopback port and the studio
# beside it; the server stops when the studio closes.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"

server_out=$(mktemp)
build/ludomat-server --port 0 >"$server_out" 2>build/ludomat-server.log &
server_pid=$!
trap 'kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null; rm -f "$server_out"' EXIT
for _ in $(seq 50); do
  grep -q "^ouvindo em " "$server_out" && break
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
server_url=$(sed -n 's/^ouvindo em //p' "$server_out")
if [ -z "$server_url" ]; then
  echo "O servidor do Ludomat não iniciou (veja build/ludomat-server.log); o estúdio abre sem ele." >&2
  build/ludomat "$@"
else
  build/ludomat --server "$server_url" "$@"
fi
