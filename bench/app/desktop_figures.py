#!/usr/bin/env python3
"""Figures of the desktop client, measured side by side with a bare GTK window on one Xvfb display:

  start   time from the program's start to its main window being shown (median of 7 starts each)
  idle    CPU of the client logged in on a quiet channel over IDLE seconds (default 60)
  memory  resident memory of the logged-in client against the bare GTK window

Usage: desktop_figures.py BUILD_DIR [IDLE_SECONDS]
"""

import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "app"))
from desktop_e2e import CHANNEL_LAMP, Desktop, Display, lit_green, stop_process  # noqa: E402
from zumeli_e2e import Server, register  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_ticks(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def resident_kb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def time_to_window(display, command, title, env):
    start = time.monotonic()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    shown = None
    while time.monotonic() - start < 15:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title], env=display.env(),
                               capture_output=True, text=True).stdout.split()
        if found:
            shown = time.monotonic() - start
            break
    stop_process(process)
    return shown


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    build = os.path.abspath(sys.argv[1])
    idle = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
    folder = tempfile.mkdtemp(prefix="zumeli-desktop-figures-")
    display = Display(folder)
    server = Server(build, folder)
    bare = None
    desktop = None
    try:
        server.start()
        register(build, folder, server, "dora", "secret-three")
        bare_command = [os.path.join(build, "tools", "zumeli-bare-gtk"), str(int(idle) + 120)]
        env = dict(display.env(), NO_AT_BRIDGE="1", ZUMELI_AUDIO="null", XDG_RUNTIME_DIR=folder,
                   HOME=folder, XDG_CONFIG_HOME=os.path.join(folder, "cfg"), XDG_DATA_HOME=os.path.join(folder, "dat"))
        client_command = [os.path.join(build, "app", "zumeli"), "-user", "dora", "-pass", "secret-three"]
        bare_times, client_times = [], []
        for _ in range(7):
            bare_times.append(time_to_window(display, bare_command, "^zumeli-bare-gtk$", env))
            client_times.append(time_to_window(display, client_command, "^Zumeli 3.1.4$", env))
        missed = bare_times.count(None) + client_times.count(None)
        bare_times = [t for t in bare_times if t is not None]
        client_times = [t for t in client_times if t is not None]
        if len(bare_times) < 3 or len(client_times) < 3:
            print("a window never showed: bare %s, client %s" % (bare_times, client_times))
            return 1
        if missed:
            print("(%d of 14 starts showed no window within 15 s and are left out)" % missed)
        b, c = statistics.median(bare_times) * 1000, statistics.median(client_times) * 1000
        print("start to window shown: client %.0f ms, bare GTK %.0f ms (median of %d and %d), client - bare %.0f ms, "
              "ratio %.2f" % (c, b, len(client_times), len(bare_times), c - b, c / b))

        bare = subprocess.Popen(bare_command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # A quiet channel on the null sound back end.
        desktop = Desktop(build, folder, display, server, "dora", "secret-three", None, None)
        if not desktop.find_window() or not desktop.wait_pixel(CHANNEL_LAMP, lit_green, 20):
            print("the client did not log in")
            return 1
        time.sleep(3)
        start_ticks, start_time = cpu_ticks(desktop.process.pid), time.monotonic()
        time.sleep(idle)
        ticks, seconds = cpu_ticks(desktop.process.pid) - start_ticks, time.monotonic() - start_time
        print("idle logged in on a quiet channel: %.2f%% of a core (%d ticks in %.1f s)"
              % (100.0 * ticks / TICKS / seconds, ticks, seconds))
        client_kb, bare_kb = resident_kb(desktop.process.pid), resident_kb(bare.pid)
        print("resident memory: client %d kB, bare GTK %d kB, client - bare %.1f MB"
              % (client_kb, bare_kb, (client_kb - bare_kb) / 1024.0))
        return 0
    finally:
        for process in (bare, desktop.process if desktop else None):
            stop_process(process)
        server.stop()
        display.stop()


if __name__ == "__main__":
    sys.exit(main())
