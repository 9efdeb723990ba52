#!/usr/bin/env python3
"""The desktop client end to end: a real zumeli-server, zumeli-cli peers and the `zumeli` program
on an Xvfb display of its own, driven with xdotool and checked by pixel probes and recordings.

Usage: desktop_e2e.py BUILD_DIR

The client's microphone is a speech WAV (ZUMELI_AUDIO=file:...), its speaker a WAV file. Checks:
a zumeli-cli talk reaches the client's speaker file and lights its busy lamp; a click held on
TALK and, separately, F9 held with xdotool reach a recording zumeli-cli, lighting the on-air
lamp, and each recording follows the speech. Every wait is bounded; everything started is
stopped at the end.
"""

import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from zumeli_e2e import (VOICE_UP, Cli, Server, active_span, best_alignment, check, correlation,  # noqa: E402
                        envelope, fail, make_speech, read_wav, register)

PANEL_WIDTH, PANEL_HEIGHT = 560, 420
TALK = (100, 320)
ON_AIR = (216, 268)
BUSY = (216, 340)
CHANNEL_LAMP = (339, 55)
HOLD_SECONDS = 6.0


MENUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "menus", "mainbar.xml")


def menu_path(code):
    """The menu bar index and the item index (separators not counted) of a window's entry, read
    from the menu document, so keyboard walks follow whatever the menus hold."""
    import xml.etree.ElementTree as ElementTree
    bar = ElementTree.parse(MENUS).getroot().find("content/menulist")
    for top, menu in enumerate(bar.findall("item")):
        items = [entry for entry in menu.findall("menulist/item") if entry.findtext("isseparator") != "1"]
        for index, entry in enumerate(items):
            if entry.findtext("name") == code:
                return top, index
    fail("the menus have no entry for %s" % code)


def stop_process(process):
    """Terminates a process we started and waits for it, killing it after 5 s."""
    if process and process.poll() is None:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class Display:
    """An Xvfb server on a free display number."""

    def __init__(self, folder):
        for number in range(140, 200):
            if not os.path.exists("/tmp/.X11-unix/X%d" % number) and not os.path.exists("/tmp/.X%d-lock" % number):
                break
        self.name = ":%d" % number
        self.log = open(os.path.join(folder, "xvfb.log"), "wb")
        self.process = subprocess.Popen(["Xvfb", self.name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                        stdout=self.log, stderr=self.log)
        deadline = time.time() + 10
        while time.time() < deadline and not os.path.exists("/tmp/.X11-unix/X%d" % number):
            time.sleep(0.05)
        check(os.path.exists("/tmp/.X11-unix/X%d" % number), "Xvfb %s is up" % self.name)

    def env(self):
        return dict(os.environ, DISPLAY=self.name)

    def run(self, *command):
        return subprocess.run(list(command), env=self.env(), capture_output=True, text=True, timeout=20)

    def stop(self):
        stop_process(self.process)


class Desktop:
    """The zumeli program with a home of its own; without a microphone file it runs the null sound
    back end (silence, nothing played)."""

    def __init__(self, build, folder, display, server, user, password, microphone, speaker):
        home = os.path.join(folder, "desktop")
        os.makedirs(os.path.join(home, "config"), exist_ok=True)
        os.makedirs(os.path.join(home, "data"), exist_ok=True)
        prefs = os.path.join(home, "zumeli.preferences")
        with open(prefs, "w") as f:
            f.write("<settings>\r\n<archive><item><name>private.service.host</name><data>127.0.0.1</data></item>"
                    "<item><name>private.service.port</name><data>%d</data></item></archive>\r\n</settings>\r\n"
                    % server.web_port)
        env = dict(display.env(), HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
                   XDG_CONFIG_HOME=os.path.join(home, "config"), XDG_RUNTIME_DIR=home,
                   ZUMELI_AUDIO="file:%s:%s" % (microphone, speaker) if microphone else "null",
                   NO_AT_BRIDGE="1")
        self.log_path = os.path.join(folder, "desktop.log")
        self.log = open(self.log_path, "wb")
        self.process = subprocess.Popen([os.path.join(build, "app", "zumeli"), "-prefspath", prefs,
                                         "-user", user, "-pass", password],
                                        stdout=self.log, stderr=subprocess.STDOUT, env=env)
        self.display = display
        self.origin = None

    def find_window(self, timeout=15):
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.display.run("xdotool", "search", "--name", "^Zumeli 3.1.4$").stdout.split()
            if found:
                geometry = self.display.run("xdotool", "getwindowgeometry", "--shell", found[0]).stdout
                values = dict(line.split("=", 1) for line in geometry.split())
                x, y, height = int(values["X"]), int(values["Y"]), int(values["HEIGHT"])
                if height >= PANEL_HEIGHT:
                    # The menu bar sits above the panel.
                    self.origin = (x, y + height - PANEL_HEIGHT)
                    return True
            time.sleep(0.2)
        return False

    def screen(self, point):
        return self.origin[0] + point[0], self.origin[1] + point[1]

    def pixel(self, point):
        x, y = self.screen(point)
        shot = self.display.run("import", "-window", "root", "-crop", "1x1+%d+%d" % (x, y), "-depth", "8", "txt:-").stdout
        # "0,0: (r,g,b)  #RRGGBB  srgb(...)"
        colour = shot.splitlines()[-1].split("#", 1)[1][:6]
        return tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4))

    def wait_pixel(self, point, test, timeout):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if test(self.pixel(point)):
                return True
            time.sleep(0.1)
        # What the screen showed, for the one who reads the failure.
        shot = os.path.join(os.path.dirname(self.log_path), "screen-%d.png" % int(time.time() * 1000))
        self.display.run("import", "-window", "root", shot)
        print("  pixel %s at panel %s (screen %s); screen saved as %s"
              % (self.pixel(point), point, self.screen(point), shot), flush=True)
        return False

    def stop(self):
        stop_process(self.process)


def lit_red(rgb):
    return rgb[0] > 170 and rgb[1] < 130


def lit_amber(rgb):
    return rgb[0] > 170 and rgb[1] > 100 and rgb[2] < 120


def lit_green(rgb):
    return rgb[1] > 130 and rgb[1] > rgb[0] + 40 and rgb[1] > rgb[2] + 40


def dark(rgb):
    return max(rgb) < 130


def follows_speech(speech_path, recorded_path, label, held_seconds):
    """The recorded talk is a stretch of the looping speech as long as the talk was held: its
    envelope matches the speech's somewhere in two rounds of it."""
    speech, rate = read_wav(speech_path)
    recorded, recorded_rate = read_wav(recorded_path)
    a = envelope(speech, rate)
    b = envelope(recorded, recorded_rate)
    span = active_span(b)
    check(span is not None, "%s: the recording holds a talk" % label)
    length = (span[1] - span[0] + 1) * 0.01
    # The speech's own pauses may fall at either end of the stretch.
    print("  %s: %.2f s of talk recorded for %.1f s held" % (label, length, held_seconds), flush=True)
    check(abs(length - held_seconds) <= 1.5, "%s: one talk as long as the hold" % label)
    b = b[span[0]:span[1] + 1][:400]
    loop = a + a
    best = max(correlation(b, loop[lag:lag + len(b)]) for lag in range(0, len(a)))
    print("  %s: envelope correlation %.3f over %.2f s" % (label, best, len(b) * 0.01), flush=True)
    check(best > 0.6, "%s: the recording follows the speech (correlation %.3f > 0.6)" % (label, best))


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    build = os.path.abspath(sys.argv[1])
    folder = tempfile.mkdtemp(prefix="zumeli-desktop-e2e-")
    display = server = desktop = None
    peers = []
    try:
        display = Display(folder)
        server = Server(build, folder)
        server.start()
        register(build, folder, server, "carol", "secret-two")
        speech = make_speech(folder)
        speaker = os.path.join(folder, "speaker.wav")
        desktop = Desktop(build, folder, display, server, "carol", "secret-two", speech, speaker)
        check(desktop.find_window(), "the main window is shown")
        check(desktop.wait_pixel(CHANNEL_LAMP, lit_green, 20), "the client joined 10.00 (CH lamp lit)")
        check(dark(desktop.pixel(ON_AIR)) and dark(desktop.pixel(BUSY)), "on-air and busy lamps are off")

        # A zumeli-cli talk reaches the desktop's speaker and lights its busy lamp.
        alice = Cli(build, folder, "alice", server, ["--guest", "--channel", "1000", "--talk", speech,
                                                     "--duration", "20"])
        peers.append(alice)
        check(alice.wait_for("talk-acknowledged", timeout=20), "alice talks")
        check(desktop.wait_pixel(BUSY, lit_amber, 5), "the busy lamp lights while alice talks")
        check(alice.wait(30) == 0, "alice's client ended cleanly")
        check(desktop.wait_pixel(BUSY, dark, 8), "the busy lamp goes out when the floor is free")

        # Talks from the desktop reach a recording peer: a click held on TALK, then F9 held.
        for label, press, release in (
                ("click on TALK", lambda: display.run("xdotool", "mousemove", *map(str, desktop.screen(TALK)),
                                                      "mousedown", "1"),
                 lambda: display.run("xdotool", "mouseup", "1")),
                ("F9 held", lambda: display.run("xdotool", "keydown", "F9"),
                 lambda: display.run("xdotool", "keyup", "F9"))):
            recording = os.path.join(folder, "bob-%d.wav" % len(peers))
            bob = Cli(build, folder, "bob-%d" % len(peers), server, ["--guest", "--channel", "1000",
                                                                   "--record", recording, "--duration", "20"])
            peers.append(bob)
            check(bob.wait_for(VOICE_UP), "bob listens on 10.00")
            time.sleep(2.0)  # past the client's 1.5 s guard between presses
            press()
            check(desktop.wait_pixel(ON_AIR, lit_red, 5), "%s: the on-air lamp lights" % label)
            time.sleep(3.0)
            check(lit_red(desktop.pixel(ON_AIR)), "%s: a held talk stays on the air after 3 s" % label)
            time.sleep(HOLD_SECONDS - 3.0)
            release()
            check(desktop.wait_pixel(ON_AIR, dark, 5), "%s: the on-air lamp goes out at the release" % label)
            check(bob.wait(30) is not None, "bob's recorder ended")
            follows_speech(speech, recording, label, HOLD_SECONDS)

        desktop.stop()
        # The speaker file: alice's talk through the client's whole receive path.
        speaker_samples, speaker_rate = read_wav(speaker)
        check(speaker_rate == 44100, "the speaker file is 44100 Hz")
        a = envelope(*read_wav(speech))
        span = active_span(a)
        corr, lag = best_alignment(a[span[0]:span[1] + 1], envelope(speaker_samples, speaker_rate))
        print("  alice's talk found %.2f s into the speaker file, correlation %.3f" % (lag * 0.01, corr), flush=True)
        check(corr > 0.6, "alice's talk reached the desktop's speaker (correlation %.3f > 0.6)" % corr)
        print("all desktop checks passed", flush=True)
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
            print("desktop log: %s" % desktop.log_path, flush=True)
        if server:
            server.stop()
        if display:
            display.stop()


if __name__ == "__main__":
    sys.exit(main())
