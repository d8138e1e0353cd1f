#!/usr/bin/env bash
# The board's benchmarks, each printed as a table row:
#  - verification: play steps a second replayed in the server against kelvado-sim --verify on
#    the same demos, and their ratio;
#  - GET /api/board?limit=100 with wrk at 64 connections beside nginx serving the same JSON
#    bytes as a static file: requests a second, p99, and the ratio to nginx;
#  - submissions a second of distinct verified demos, and reads a second beside them, on SQLite
#    and PostgreSQL (its own syncing on, as in use).
#   bench_board.sh BUILD    (a Release build with kelvado-board, kelvado-sim and make_demos)
# Run under with_postgres.sh (KELVADO_PG_FSYNC=on), as scripts/bench.sh does.
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
board=$build/server/kelvado-board sim=$build/tools/sim/kelvado-sim
make_demos=$build/server/tests/kelvado_board_make_demos
seconds=${BOARD_BENCH_SECONDS:-10}
tmp=$(mktemp -d)
chmod 755 "$tmp"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$tmp"' EXIT

start_board() {  # start_board DB LOG [OPTION...]: the port on stdout
    local db=$1 log=$2
    shift 2
    "$board" --db "$db" --listen 127.0.0.1:0 --threads 2 --submit-rate 1000000 --queue 256 \
        --client-connections 1000 "$@" \
        >"$log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do grep -q listening "$log" && break; sleep 0.05; done
    sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$log"
}
row() { printf '| %s | %s |\n' "$1" "$2"; }

# Distinct demos: 150 players with one game each, and 4000 games of one player for the bursts.
mkdir -p "$tmp/players" "$tmp/burst" "$tmp/burst-pg"
for i in $(seq 150); do "$make_demos" "$tmp/players" 1 "P$i" "$((100000 + i))"; done
"$make_demos" "$tmp/burst" 4000 BURST 200000
"$make_demos" "$tmp/burst-pg" 4000 BURSTPG 300000

# ---- Verification --------------------------------------------------------------------------
port=$(start_board "sqlite:$tmp/verify.db" "$tmp/verify.log")
python3 - "$port" "$tmp/players" <<'PY' >"$tmp/verify.out"
import os, sys, urllib.request
port, folder = sys.argv[1], sys.argv[2]
for name in sorted(os.listdir(folder)):
    body = open(os.path.join(folder, name), "rb").read()
    urllib.request.urlopen(urllib.request.Request(
        f"http://127.0.0.1:{port}/api/demos", data=body, method="POST"), timeout=30).read()
metrics = urllib.request.urlopen(f"http://127.0.0.1:{port}/metrics").read().decode()
values = dict(line.split(" ", 1) for line in metrics.splitlines()
              if line and not line.startswith("#"))
print(values["kelvado_board_verified_steps_total"], values["kelvado_board_verification_seconds_total"])
PY
read -r steps server_seconds <"$tmp/verify.out"
started=$(date +%s%N)
for demo in "$tmp"/players/*.demo; do "$sim" --verify "$demo" >/dev/null; done
sim_seconds=$(awk -v ns=$(( $(date +%s%N) - started )) 'BEGIN { print ns / 1e9 }')
awk -v steps="$steps" -v server="$server_seconds" -v sim="$sim_seconds" 'BEGIN {
    printf "| Verification in kelvado-board (replay only): 150 demos, %d play steps | %.0f steps/s |\n", steps, steps / server
    printf "| Verification by kelvado-sim --verify, a process each: the same demos | %.0f steps/s |\n", steps / sim
    printf "| Verification, in-server / kelvado-sim | %.1fx |\n", (steps / server) / (steps / sim)
}'

# ---- Reads beside nginx ----------------------------------------------------------------------
url="http://127.0.0.1:$port/api/board?limit=100"
mkdir -p "$tmp/www"
curl -s "$url" >"$tmp/www/board.json"
nginx_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$tmp/nginx.conf" <<CONF
daemon off;
worker_processes 2;
pid $tmp/nginx.pid;
error_log $tmp/nginx-error.log;
events { worker_connections 1024; }
http {
    access_log off;
    server {
        listen 127.0.0.1:$nginx_port;
        root $tmp/www;
        location / { default_type application/json; }
    }
}
CONF
nginx -c "$tmp/nginx.conf" -p "$tmp" &
pids+=($!)
for _ in $(seq 100); do curl -sf "http://127.0.0.1:$nginx_port/board.json" >/dev/null && break; sleep 0.05; done
cmp -s <(curl -s "http://127.0.0.1:$nginx_port/board.json") "$tmp/www/board.json" ||
    { echo "bench_board: nginx does not serve the same bytes" >&2; exit 1; }
wrk_run() {  # wrk_run URL CONNECTIONS: "requests/s p99"
    wrk -t2 -c"$2" -d"${seconds}s" --latency "$1" | awk '
        /Requests\/sec:/ { rps = $2 }
        /^ +99%/ { p99 = $2 }
        END { print rps, p99 }'
}
read -r board_rps board_p99 < <(wrk_run "$url" 64)
read -r nginx_rps nginx_p99 < <(wrk_run "http://127.0.0.1:$nginx_port/board.json" 64)
bytes=$(wc -c <"$tmp/www/board.json")
row "GET /api/board?limit=100 ($bytes bytes), kelvado-board, 2 threads, wrk -c64" "$board_rps req/s, p99 $board_p99"
row "The same bytes from nginx, 2 workers, wrk -c64" "$nginx_rps req/s, p99 $nginx_p99"
row "kelvado-board / nginx" "$(awk -v a="$board_rps" -v b="$nginx_rps" 'BEGIN { printf "%.2f", a / b }')"

# ---- Submissions, and reads beside them ------------------------------------------------------
burst() {  # burst DB FOLDER LABEL
    local port
    port=$(start_board "$1" "$tmp/burst-$3.log")
    python3 - "$port" "$2" "$seconds" <<'PY' >"$tmp/burst-$3.out" &
import concurrent.futures, os, sys, threading, time, http.client
port, folder, seconds = int(sys.argv[1]), sys.argv[2], float(sys.argv[3])
names = sorted(os.listdir(folder))
bodies = [open(os.path.join(folder, n), "rb").read() for n in names]
stop = time.time() + seconds
done, lock, next_index = [0], threading.Lock(), [0]
def worker():
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    while time.time() < stop:
        with lock:
            if next_index[0] >= len(bodies):
                return
            body = bodies[next_index[0]]
            next_index[0] += 1
        c.request("POST", "/api/demos", body)
        r = c.getresponse()
        r.read()
        if r.status == 201:
            with lock:
                done[0] += 1
started = time.time()
with concurrent.futures.ThreadPoolExecutor(8) as pool:
    for _ in range(8):
        pool.submit(worker)
print(done[0], time.time() - started)
PY
    local submitter=$!
    read -r rps p99 < <(wrk_run "http://127.0.0.1:$port/api/board?limit=100" 16)
    wait "$submitter"
    read -r count took <"$tmp/burst-$3.out"
    row "Submissions of distinct verified demos, $3, 8 clients" \
        "$(awk -v n="$count" -v t="$took" 'BEGIN { printf "%.0f/s", n / t }')"
    row "Reads of /api/board?limit=100 during the submissions, $3, wrk -c16" "$rps req/s, p99 $p99"
}
burst "sqlite:$tmp/burst.db" "$tmp/burst" SQLite
burst "$KELVADO_TEST_POSTGRES" "$tmp/burst-pg" PostgreSQL
