#!/usr/bin/env bash
# The gallery's figures, measured side by side on an Xvfb display of their own:
#   - idle CPU over SECONDS with one window open: the loop's 2 ms sleep, the blocking wait, and a
#     bare GTK window of the same size in GTK's own main loop (ticks of /proc/self/stat);
#   - resident memory of each against the bare GTK window;
#   - how late a 50 ms fixed-rate timer fires, with the sleep and with the blocking wait;
#   - the time of a full redraw of the gallery's largest window (560 x 420) into its bitmap.
#
#   bench/ui/gallery_figures.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-30}
gallery=$build/tools/zumeli-gallery
bare=$build/tools/zumeli-bare-gtk
[ -x "$gallery" ] && [ -x "$bare" ] || { echo "build zumeli-gallery and zumeli-bare-gtk first"; exit 1; }

out=$(mktemp -d)
exec 3>"$out/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$out"' EXIT
for _ in $(seq 100); do [ -s "$out/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$out/display")

"$gallery" --open knob --idle sleep --measure-idle "$seconds" >"$out/sleep" 2>&1 &
sleeping=$!
"$gallery" --open knob --idle block --measure-idle "$seconds" >"$out/block" 2>&1 &
blocking=$!
"$bare" "$seconds" >"$out/bare" 2>&1 &
baseline=$!
wait $sleeping $blocking $baseline
timer_seconds=$(( seconds < 10 ? seconds : 10 ))
"$gallery" --open knob --idle sleep --measure-timers "$timer_seconds" >"$out/timers_sleep" 2>&1 &
sleeping=$!
"$gallery" --open knob --idle block --measure-timers "$timer_seconds" >"$out/timers_block" 2>&1 &
blocking=$!
wait $sleeping $blocking
"$gallery" --open bttn --measure-redraw 500 --quit-after 0.5 >"$out/redraw" 2>&1

grep -h '^idle' "$out/sleep" "$out/block" "$out/bare"
grep -h '^timers' "$out/timers_sleep" "$out/timers_block"
grep -h '^redraw' "$out/redraw"
python3 - "$out" <<'PY'
import re, sys, os
def figures(name):
    text = open(os.path.join(sys.argv[1], name)).read()
    m = re.search(r"idle .*: ([0-9.]+)% of a core .* resident (\d+) kB", text)
    return (float(m.group(1)), int(m.group(2))) if m else (None, None)
bare = figures("bare")
for name, label in (("sleep", "2 ms sleep"), ("block", "blocking wait")):
    cpu, rss = figures(name)
    if cpu is None or bare[0] is None:
        print(label + ": no figures"); continue
    print("%s: idle %.2f%% of a core (bare GTK %.2f%%), resident %+.1f MB against the bare GTK window"
          % (label, cpu, bare[0], (rss - bare[1]) / 1024.0))
PY
