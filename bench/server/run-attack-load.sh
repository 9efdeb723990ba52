#!/bin/sh
# Relay delay under attack, side by side with the same run without attack: starts the
# zumeli-server of a build folder (default: build) on loopback and prints one row per attack.
# Bounded: about a minute with the defaults. Extra arguments go to the program,
# e.g. --seconds 3 --listeners 10 --only guest-flood,slow-web
set -e
build=${BUILD:-$(dirname "$0")/../../build}
cmake --build "$build" -j2 --target zumeli-server zumeli_attack_load >/dev/null
exec "$build/server/zumeli_attack_load" --server "$build/server/zumeli-server" "$@"
