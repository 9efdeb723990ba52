#!/usr/bin/env python3
"""The desktop client's settings and side windows end to end: a real zumeli-server, a recording
zumeli-cli and the `zumeli` program on an Xvfb display of its own, driven with xdotool.

Usage: windows_e2e.py BUILD_DIR [SCREENSHOT_DIR]

Checks: the settings window opens from its shortcut and offers the sound devices PortAudio sees
plus the system defaults and "no device"; the talk key chosen there (F4 in place of F9) and
confirmed is saved, the client rejoins, and holding F4 puts the client on the air and reaches the
recording peer while F9 no longer talks. With a screenshot folder, every window of the group is
opened from the menu and saved as windows-<name>.png. Every wait is bounded; everything started
is stopped at the end.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
from desktop_e2e import CHANNEL_LAMP, ON_AIR, Desktop, Display, dark, lit_green, lit_red, menu_path  # noqa: E402
from zumeli_e2e import VOICE_UP, Cli, Server, active_span, check, envelope, fail, make_speech, read_wav, register  # noqa: E402

HOLD_SECONDS = 4.0
# Items of the settings layout, in window coordinates.
HOT_KEY_LIST = (215, 220)
APPLY = (490, 499)
# Menus of the menu bar (0 File ... 5 Help) and the place of an item in its menu, separators
# not counted; the layout's Close button of each window.
WINDOWS = [
    ("people", "^People and groups$", "peLi", (530, 411)),
    ("channeldetails", "^Channel details$", "chDe", (490, 353)),
    ("photo", "^Photo of the channel$", "phot", (450, 437)),
    ("profile", "^My profile$", "uspr", (530, 321)),
    ("about", "^About Zumeli$", "abou", (370, 267)),
]


def find_window(display, title, timeout=10.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = display.run("xdotool", "search", "--name", title).stdout.split()
        if found:
            return found[0]
        time.sleep(0.2)
    return None


def origin(display, window):
    geometry = display.run("xdotool", "getwindowgeometry", "--shell", window).stdout
    values = dict(line.split("=", 1) for line in geometry.split())
    return int(values["X"]), int(values["Y"])


def click(display, window, point, button="1"):
    x, y = origin(display, window)
    display.run("xdotool", "mousemove", str(x + point[0]), str(y + point[1]), "click", button)


def open_from_menu(display, main, code):
    """F10 opens the menu bar; arrows walk to the item, Return chooses it."""
    menu, position = menu_path(code)
    position += 1  # the first Down selects the first item
    display.run("xdotool", "windowfocus", main)
    display.run("xdotool", "key", "F10")
    time.sleep(0.3)
    for _ in range(menu):
        display.run("xdotool", "key", "Right")
    time.sleep(0.3)
    for _ in range(position):
        display.run("xdotool", "key", "Down")
    time.sleep(0.2)
    display.run("xdotool", "key", "Return")


def stored_preference(path, key):
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    found = re.search(r"<name>%s</name>\s*<data>([^<]*)</data>" % re.escape(key), text)
    return found.group(1) if found else None


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__)
        return 2
    build = os.path.abspath(sys.argv[1])
    shots = os.path.abspath(sys.argv[2]) if len(sys.argv) == 3 else None
    folder = tempfile.mkdtemp(prefix="zumeli-windows-e2e-")
    display = server = desktop = None
    peers = []
    passed = False
    try:
        display = Display(folder)
        server = Server(build, folder)
        named = subprocess.run([server.binary, "--data", server.data, "--set-channel", "1000", "--name", "Radio Club"],
                               capture_output=True, text=True, timeout=20)
        check(named.returncode == 0, "channel 10.00 is named")
        server.start()
        register(build, folder, server, "dora", "secret-two")
        speech = make_speech(folder)
        desktop = Desktop(build, folder, display, server, "dora", "secret-two", speech,
                          os.path.join(folder, "speaker.wav"))
        check(desktop.find_window(), "the main window is shown")
        check(desktop.wait_pixel(CHANNEL_LAMP, lit_green, 20), "the client joined 10.00 (CH lamp lit)")
        main = display.run("xdotool", "search", "--name", "^Zumeli 3.1.4$").stdout.split()[0]

        # The settings, from their shortcut.
        setup = None
        for _ in range(3):
            display.run("xdotool", "windowfocus", main)
            display.run("xdotool", "key", "ctrl+comma")
            setup = find_window(display, "^Settings$", 4)
            if setup:
                break
        check(setup is not None, "Ctrl+, opens the settings (titled \"Settings\")")
        check(desktop.wait_pixel(CHANNEL_LAMP, lambda rgb: not lit_green(rgb), 10),
              "the client left the channel while the settings are open")
        with open(desktop.log_path, "rb") as f:
            log = f.read().decode("utf-8", "replace")
        offered = re.findall(r"Sound devices offered: (\d+) microphones, (\d+) speakers \(PortAudio sees (\d+) devices\)", log)
        check(offered, "the settings listed the sound devices")
        microphones, speakers, seen = map(int, offered[-1])
        print("  offered %d microphones and %d speakers; PortAudio sees %d devices" % (microphones, speakers, seen),
              flush=True)
        check(2 <= microphones <= seen + 2 and 2 <= speakers <= seen + 2,
              "the lists hold the system's default, no device, and the devices PortAudio sees")
        if shots:
            display.run("import", "-window", setup, os.path.join(shots, "windows-setup.png"))

        # F9 -> F4: five steps up the list with the wheel, then Apply.
        time.sleep(0.5)
        for _ in range(5):
            click(display, setup, HOT_KEY_LIST, "4")
            time.sleep(0.1)
        time.sleep(0.3)
        click(display, setup, APPLY)
        deadline = time.time() + 10
        while time.time() < deadline and display.run("xdotool", "search", "--name", "^Settings$").stdout.strip():
            time.sleep(0.2)
        check(not display.run("xdotool", "search", "--name", "^Settings$").stdout.strip(), "Apply closes the settings")
        prefs = os.path.join(folder, "desktop", "zumeli.preferences")
        deadline = time.time() + 5
        while time.time() < deadline and stored_preference(prefs, "ui.talkhotkey") != "F4":
            time.sleep(0.2)
        check(stored_preference(prefs, "ui.talkhotkey") == "F4", "the talk key F4 is saved")
        check(desktop.wait_pixel(CHANNEL_LAMP, lit_green, 20), "the client joined 10.00 again after the settings")

        # The new key talks, the old one does not.
        recording = os.path.join(folder, "bob.wav")
        bob = Cli(build, folder, "bob", server, ["--guest", "--channel", "1000", "--record", recording,
                                                 "--duration", "25"])
        peers.append(bob)
        check(bob.wait_for(VOICE_UP), "bob listens on 10.00")
        time.sleep(2.0)
        display.run("xdotool", "keydown", "F9")
        time.sleep(2.0)
        check(dark(desktop.pixel(ON_AIR)), "F9 no longer talks")
        display.run("xdotool", "keyup", "F9")
        time.sleep(2.0)
        display.run("xdotool", "keydown", "F4")
        check(desktop.wait_pixel(ON_AIR, lit_red, 5), "F4 held: the on-air lamp lights")
        time.sleep(HOLD_SECONDS)
        display.run("xdotool", "keyup", "F4")
        check(desktop.wait_pixel(ON_AIR, dark, 5), "F4 released: the on-air lamp goes out")
        check(bob.wait(40) is not None, "bob's recorder ended")
        samples, rate = read_wav(recording)
        span = active_span(envelope(samples, rate))
        check(span is not None, "bob recorded the talk")
        length = (span[1] - span[0] + 1) * 0.01
        print("  %.2f s of talk recorded for %.1f s held" % (length, HOLD_SECONDS), flush=True)
        check(abs(length - HOLD_SECONDS) <= 1.5, "one talk as long as the hold")

        if shots:
            # A photo in the picture cache, as the service would have sent it, for the profile.
            with open(desktop.log_path, "rb") as f:
                own = re.findall(r"<uid>(\d+)</uid>", f.read().decode("utf-8", "replace"))
            cache = os.path.join(folder, "desktop", "data", "Zumeli", "Cache")
            if own and os.path.isdir(cache):
                subprocess.run(["convert", "-seed", "11", "-size", "320x320", "plasma:orange-sienna", "-blur", "0x2",
                                os.path.join(cache, "user_%s.jpg" % own[-1])], check=True, timeout=30)
            # Company on the channel for the people list.
            for name in ("alice", "erik"):
                register(build, folder, server, name, "secret-" + name)
                peer = Cli(build, folder, name, server, ["--user", name, "--pass", "secret-" + name, "--channel", "1000",
                                                         "--duration", "60"])
                peers.append(peer)
                check(peer.wait_for(VOICE_UP), "%s joins 10.00" % name)
            time.sleep(3.0)
            for name, title, code, close in WINDOWS:
                window = None
                for _ in range(3):
                    open_from_menu(display, main, code)
                    window = find_window(display, title, 4)
                    if window:
                        break
                check(window is not None, "the %s window opens from the menu" % name)
                time.sleep(1.0)
                display.run("import", "-window", window, os.path.join(shots, "windows-%s.png" % name))
                click(display, window, close)
                deadline = time.time() + 5
                while time.time() < deadline and display.run("xdotool", "search", "--name", title).stdout.strip():
                    time.sleep(0.2)
                check(not display.run("xdotool", "search", "--name", title).stdout.strip(),
                      "the %s window closes with its button" % name)
        print("all settings and side window checks passed", flush=True)
        passed = True
        return 0
    except SystemExit as stop:
        return int(stop.code or 1)
    except Exception as error:  # a crash of the test itself is a failure too
        fail("unexpected %r" % error)
    finally:
        for peer in peers:
            peer.stop()
        if desktop:
            desktop.stop()
            if not passed:
                print("desktop log: %s" % desktop.log_path, flush=True)
        if server:
            server.stop()
        if display:
            display.stop()
        if passed:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
