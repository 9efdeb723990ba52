#!/usr/bin/env bash
# Measures the talk-start delay through a local zumeli-server: from the first sound a talking
# zumeli-cli feeds its microphone to the first sound out of a listening zumeli-cli's speaker.
# Both clients run on paced null/file audio at 44100 Hz; the receive buffer holds about 0.5 s
# by design before playing, so the figure to watch is what comes on top of that.
# Loopback only, bounded: ROUNDS talks (default 5) of one second each, about 10 s a round.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BUILD:-build}
rounds=${ROUNDS:-5}
cmake --build "$build" -j2 --target zumeli-server zumeli-cli >/dev/null

run=$(mktemp -d /tmp/zumeli-delay-XXXXXX)
port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
web=$(port)
voice=$(port)
"$build/server/zumeli-server" --web-port "$web" --voice-port "$voice" --data "$run/server" \
  --public-host 127.0.0.1 --log-level warn >"$run/server.log" 2>&1 &
server=$!
listener=""
trap 'kill $listener $server 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  (exec 3<>"/dev/tcp/127.0.0.1/$web") 2>/dev/null && break
  kill -0 "$server" 2>/dev/null || { echo "zumeli-server did not start:" >&2; cat "$run/server.log" >&2; exit 1; }
  sleep 0.1
done

# 0.2 s of silence, then a one-second 440 Hz tone at half scale.
sox -n -r 44100 -c 1 -b 16 "$run/tone.wav" synth 1.0 sine 440 vol 0.5 pad 0.2 0
onset=0.200

client_env() { echo "HOME=$run/$1 XDG_DATA_HOME=$run/$1/data XDG_CONFIG_HOME=$run/$1/config"; }
mkdir -p "$run/listener" "$run/talker"

delays=()
for round in $(seq "$rounds"); do
  env $(client_env listener) "$build/cli/zumeli-cli" --server "127.0.0.1:$web" --guest --channel 1000 \
    --record "$run/heard-$round.wav" --events --duration 12 >"$run/listener-$round.out" 2>&1 &
  listener=$!
  for _ in $(seq 100); do grep -q '^voice-connected' "$run/listener-$round.out" && break; sleep 0.1; done
  env $(client_env talker) "$build/cli/zumeli-cli" --server "127.0.0.1:$web" --guest --channel 1000 \
    --talk "$run/tone.wav" --events --duration 8 >"$run/talker-$round.out" 2>&1 || true
  wait "$listener" || true
  listener=""
  started=$(awk '$1 == "talk-file-started" { print $2; exit }' "$run/talker-$round.out")
  heard=$(awk '$1 == "audio-heard" { print $2; exit }' "$run/listener-$round.out")
  if [[ -n $started && -n $heard ]]; then
    delay=$(awk -v a="$started" -v b="$heard" -v o="$onset" 'BEGIN { printf "%.0f", (b - a - o) * 1000 }')
    delays+=("$delay")
    echo "round $round: ${delay} ms"
  else
    echo "round $round: no talk arrived (see $run)"
  fi
done

if ((${#delays[@]})); then
  printf '%s\n' "${delays[@]}" | sort -n | awk '
    { v[NR] = $1; sum += $1 }
    END { printf "talk-start delay over %d rounds: min %d ms, median %d ms, max %d ms, mean %.0f ms\n",
                 NR, v[1], v[int((NR + 1) / 2)], v[NR], sum / NR }'
fi
[[ ${KEEP:-0} == 1 ]] || rm -rf "$run"
