#!/usr/bin/env bash
# The README's steps: export the sample lines as static pages, serve them with
# nginx, and query them with ridelon-cli --base; every line gives the same
# stops as ridelon-site serving the same data, every page is the site's page,
# and every link of the exported guide leads to a page. Skipped without nginx.
# On the way, ridelon-site as a program: it logs each request, refuses a taken
# port (status 3) and stops cleanly on SIGTERM.
set -euo pipefail
site=$1 cli=$2 data=$3
nginx=/usr/sbin/nginx
if [ ! -x "$nginx" ]; then
  echo "skipped: nginx is not installed (Debian: nginx-light)"
  exit 77
fi
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

# The sample lines, and a city whose names are hard to link: a ref holding
# "%41", stops named "." and "..", a stop with "/" in its name (which nginx
# decodes into folders), and another name of the city.
cp -r "$data" "$work/data"
mkdir "$work/data/ceshi"
printf '# %%41\n甲/乙路口\n.\n..\n丙\n' > "$work/data/ceshi/%41lu.txt"
printf '丙\n丁\n' > "$work/data/ceshi/Alu.txt"
ln -s ceshi "$work/data/ce"
data=$work/data
"$site" export --data "$data" --out "$work/www"
nginx_port=$(free_port)
cat > "$work/nginx.conf" <<CONF
daemon off; worker_processes 1; pid $work/nginx.pid;
events {}
http { access_log off; client_body_temp_path $work;
  server { listen 127.0.0.1:$nginx_port; root $work/www; } }
CONF
"$nginx" -e "$work/error.log" -c "$work/nginx.conf" &
pids+=($!)
site_port=$(free_port)
"$site" --port "$site_port" --data "$data" >"$work/site.log" &
site_pid=$!
pids+=($site_pid)
for _ in $(seq 100); do
  (exec 3<>"/dev/tcp/127.0.0.1/$nginx_port" && exec 4<>"/dev/tcp/127.0.0.1/$site_port") 2>/dev/null && break
  sleep 0.05
done

lines=0
while IFS= read -r page; do
  address=${page#"$work/www/"}
  city=${address%%/*}
  line=${address#*/xianlu/}
  line=${line%/index.html}
  kind=()
  if [[ $line == *ludianche ]]; then kind=(--trolleybus); line=${line%ludianche}; else line=${line%lu}; fi
  served=$("$cli" query "${kind[@]}" --base "http://127.0.0.1:$site_port/" "$city" "$line" 2>/dev/null)
  exported=$("$cli" query "${kind[@]}" --base "http://127.0.0.1:$nginx_port/" "$city" "$line" 2>/dev/null)
  if [ -z "$served" ] || [ "$served" != "$exported" ]; then
    echo "$address: ridelon-site gives \"$served\", nginx \"$exported\""
    exit 1
  fi
  lines=$((lines + 1))
done < <(find "$work/www" -path '*/xianlu/*/index.html')
[ "$lines" -eq 10 ] || { echo "expected the 6 sample lines and 4 made up, found $lines"; exit 1; }

# The guide: each exported page is what the site serves at its address, and
# each of its links is served by nginx.
pages=0
while IFS= read -r page; do
  address=/${page#"$work/www/"}
  address=${address%index.html}
  encoded=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1]))' "$address")
  # A page's folder is its address decoded: only addresses without "%" or a
  # stop holding "/" read back from it.
  if [[ $address != /ce* ]] && ! cmp -s "$page" <(curl -s "http://127.0.0.1:$site_port$encoded"); then
    echo "$address: the exported page is not the site's"
    exit 1
  fi
  while IFS= read -r link; do
    code=$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$nginx_port$link" || true)
    [ "$code" = 200 ] || { echo "$address links $link, which nginx answers $code"; exit 1; }
  done < <(grep -o 'href="[^"]*"' "$page" | sed 's/^href="//; s/"$//' | sort -u)
  pages=$((pages + 1))
done < <(find "$work/www" -name index.html)

status=0
"$site" --port "$site_port" --data "$data" 2>/dev/null || status=$?
[ "$status" -eq 3 ] || { echo "a second ridelon-site on a taken port: status $status, not 3"; exit 1; }
kill -TERM "$site_pid"
status=0
wait "$site_pid" || status=$?
[ "$status" -eq 0 ] || { echo "ridelon-site stopped by SIGTERM: status $status"; exit 1; }
grep -q "GET /jinan/xianlu/K55lu/ 200" "$work/site.log" || { echo "not logged:"; cat "$work/site.log"; exit 1; }
echo "nginx serves the $lines exported lines with the same stops as ridelon-site, and $pages pages whose links all lead somewhere"
