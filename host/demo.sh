#!/usr/bin/env bash
# The demo: the stand-in server with a fresh demo store, and the demo host opening the
# plug-in's screens under Wine. Called by `./pos demo` with the build root.
#
#   host/demo.sh BUILD_ROOT [--scripted]
#
# With $DISPLAY set (and no --scripted) poshost.exe opens a real window on that display:
# its buttons open the VIP card enrollment screen and the stock-take bill manager.
# Without a display, a scripted walk-through under Xvfb opens each screen, writes
# pictures of the host and of each screen to BUILD_ROOT/demo/*.png and closes them.
# The server listens on 127.0.0.1:$POS_DEMO_PORT (default 21100), serves the store in
# BUILD_ROOT/demo/data and logs to BUILD_ROOT/demo/posserver.log; it is stopped at the end.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:?usage: host/demo.sh BUILD_ROOT [--scripted]}
shift
scripted=0
[ "${1:-}" = --scripted ] && scripted=1
[ -z "${DISPLAY:-}" ] && scripted=1

build=$(cd "$build" && pwd)
demo=$build/demo
server=$build/native/server/posserver
host=$build/win32/host/poshost.exe
port=${POS_DEMO_PORT:-21100}
for f in "$server" "$host" "$build/win32/host/Pos_J2DllForPos.dll"; do
  [ -e "$f" ] || { echo "demo: $f is missing; run ./pos build native and ./pos build win32" >&2; exit 1; }
done

mkdir -p "$demo"
rm -rf "$demo/data" "$demo"/*.png "$demo/pd-export.txt"
"$server" --stop "$demo/posserver.pid" >/dev/null 2>&1 || true
"$server" --make-demo "$demo/data"
"$server" --listen "127.0.0.1:$port" --data "$demo/data" \
  --detach --pid-file "$demo/posserver.pid" --log "$demo/posserver.log"
trap '"$server" --stop "$demo/posserver.pid" >/dev/null 2>&1 || true' EXIT

# The plug-in's connection takes the server's port from POS_SERVER_PORT.
export POS_SERVER_PORT=$port
args=(--server 127.0.0.1 --db PosStore --upload-server 127.0.0.1 --upload-db PosMain --pos 0001)
if [ $scripted -eq 0 ]; then
  echo "demo: poshost.exe on $DISPLAY; close its window to end the demo"
  POS_WINE_DISPLAY=host "$top/cmake/wine-run" "$host" "${args[@]}"
else
  echo "demo: scripted walk-through under Xvfb"
  shots="Z:$(printf '%s' "$demo" | tr / '\\')"
  status=0
  # On a desktop of its own: no two-second wait for a window manager at each close.
  # On the stock-take screen: the warehouse and goods chosen in the selection dialog, the
  # bill saved, a goods list exported and the sample terminal file imported, a few scans.
  sample="Z:$(printf '%s' "$top/host/pd-terminal-sample.txt" | tr / '\\')"
  "$top/cmake/wine-run" "$host" "${args[@]}" --own-desktop --open vip --open pd --shots "$shots" \
    --pd-walk "$sample" --close-after 2000 || status=$?
  echo "demo: pictures:"
  ls -1 "$demo"/*.png 2>/dev/null | sed 's/^/  /'
  exit $status
fi
