#!/usr/bin/env bash
# Times our file download against the curl command line: a 1 GiB file from a local nginx, over
# HTTP and over HTTPS, in the same run. Builds DownloadBench, sets up nginx, a certificate
# authority and the file in a temporary folder, and removes all of it afterwards.
#
# usage: bench/run-download-bench.sh [BUILD_DIR] [SIZE] [RUNS]
#   BUILD_DIR  where to build (default build-bench); SIZE for head -c (default 1G); RUNS (3)
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build-bench}
size=${2:-1G}
runs=${3:-3}

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNWICK_BUILD_BENCH=ON >/dev/null
cmake --build "$build_dir" --target DownloadBench

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-download-bench.XXXXXX")
nginx_pid=""
cleanup() {
    if [[ -n "$nginx_pid" ]]; then
        kill "$nginx_pid" 2>/dev/null || true
        wait "$nginx_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/www" "$work/tmp" "$work/out"
echo "== a file of $size"
head -c "$size" /dev/urandom >"$work/www/big.bin"

echo "== a certificate authority and a certificate for localhost"
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Tarnwick bench CA" \
    -keyout "$work/ca.key" -out "$work/ca.pem" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" \
    -keyout "$work/server.key" -out "$work/server.csr" 2>/dev/null
printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n' >"$work/san.ext"
openssl x509 -req -days 1 -in "$work/server.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" \
    -CAcreateserial -extfile "$work/san.ext" -out "$work/server.pem" 2>/dev/null

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
http_port=$(free_port)
https_port=$(free_port)

# One process in the foreground as the current user, everything inside the work folder.
cat >"$work/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log warn;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $work/tmp/client_body;
  proxy_temp_path $work/tmp/proxy;
  fastcgi_temp_path $work/tmp/fastcgi;
  uwsgi_temp_path $work/tmp/uwsgi;
  scgi_temp_path $work/tmp/scgi;
  default_type application/octet-stream;
  sendfile on;
  server {
    listen 127.0.0.1:$http_port;
    listen 127.0.0.1:$https_port ssl;
    server_name localhost;
    ssl_certificate $work/server.pem;
    ssl_certificate_key $work/server.key;
    root $work/www;
  }
}
CONF

nginx_binary=$(command -v nginx || echo /usr/sbin/nginx)
"$nginx_binary" -p "$work/" -c "$work/nginx.conf" -e "$work/error.log" &
nginx_pid=$!
for _ in $(seq 100); do
    if curl -s -o /dev/null "http://127.0.0.1:$http_port/"; then break; fi
    sleep 0.1
done

echo "== timing (best of $runs each, taken in turns)"
"$build_dir/bench/DownloadBench" \
    --http "http://localhost:$http_port/big.bin" \
    --https "https://localhost:$https_port/big.bin" \
    --ca "$work/ca.pem" --dir "$work/out" --runs "$runs"
