#!/bin/sh
# Runs the relay load benchmark against the zumeli-server of a build folder (default: build).
# Loopback only, bounded: about a minute with the defaults. Extra arguments go to the program,
# e.g. --seconds 3 --listeners 10,100 --rates 50 --saturate 0
set -e
build=${BUILD:-$(dirname "$0")/../../build}
cmake --build "$build" -j2 --target zumeli-server zumeli_relay_load >/dev/null
exec "$build/server/zumeli_relay_load" --server "$build/server/zumeli-server" "$@"
