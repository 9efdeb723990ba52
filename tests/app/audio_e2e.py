#!/usr/bin/env python3
"""The audio side windows of the desktop client end to end: a real zumeli-server, a recording
zumeli-cli peer and the `zumeli` program on an Xvfb display of its own, driven with xdotool.

Usage: audio_e2e.py BUILD_DIR                      the player test (below)
       audio_e2e.py BUILD_DIR --screenshots DIR    opens every audio window and saves it as
                                                   DIR/audio-<window>.png

The player test: the client's microphone is silent (ZUMELI_AUDIO=file:...), its player window
opens with a speech WAV (the file it played last, "ui.player.audiofile"); Play with the talk
switch on presses the talk key, and a zumeli-cli recording the channel must hear the file: the
recording follows the speech's envelope and lasts as long as the file played. Stop releases the
talk key. Every wait is bounded; everything started is stopped at the end.
"""

import os
import subprocess
import sys
import tempfile
import time
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
sys.path.insert(0, HERE)
from zumeli_e2e import VOICE_UP, Cli, Server, check, fail, make_speech, register  # noqa: E402
from desktop_e2e import Display, dark, follows_speech, lit_green, lit_red, menu_path, stop_process  # noqa: E402

PANEL_HEIGHT = 420
CHANNEL_LAMP = (339, 55)
ON_AIR = (216, 268)
PLAY_SECONDS = 7.0

# Places of the player's keys in its window (the layout's item centres).
PLAYER_PLAY = (14 + 2 * 79 + 37, 133)
PLAYER_STOP = (14 + 3 * 79 + 37, 133)
RECORDER_RECORD = (112 + 37, 99)
AUDIO_TEST_RUN = [(250 + 37, 18 + i * 32 + 11) for i in range(4)]
TIMED_START = (250 + 37, 313 + 11)
VOICE_SWITCH = (14 + 37, 16 + 11)


def silent_wav(path, seconds=1.0):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(44100)
        w.writeframes(b"\0\0" * int(44100 * seconds))
    return path


class Desktop:
    """The zumeli program logged in as a registered user, with a home and preferences of its own."""

    def __init__(self, build, folder, display, server, user, password, microphone, speaker, settings):
        home = os.path.join(folder, "desktop")
        os.makedirs(os.path.join(home, "config"), exist_ok=True)
        os.makedirs(os.path.join(home, "data"), exist_ok=True)
        prefs = os.path.join(home, "zumeli.preferences")
        items = [("private.service.host", "127.0.0.1"), ("private.service.port", str(server.web_port))] + settings
        with open(prefs, "w") as f:
            f.write("<settings>\r\n<archive>" + "".join("<item><name>%s</name><data>%s</data></item>" % item
                                                        for item in items) + "</archive>\r\n</settings>\r\n")
        env = dict(display.env(), HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
                   XDG_CONFIG_HOME=os.path.join(home, "config"), XDG_RUNTIME_DIR=home, LANG="en_GB.UTF-8",
                   ZUMELI_AUDIO="file:%s:%s" % (microphone, speaker), NO_AT_BRIDGE="1")
        self.log_path = os.path.join(folder, "desktop.log")
        self.log = open(self.log_path, "wb")
        self.process = subprocess.Popen([os.path.join(build, "app", "zumeli"), "-prefspath", prefs,
                                         "-user", user, "-pass", password],
                                        stdout=self.log, stderr=subprocess.STDOUT, env=env, cwd=home)
        self.display = display
        self.main = None

    def window(self, title, timeout=10):
        """The id and client-area origin of the top-level window with this title."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            for found in self.display.run("xdotool", "search", "--onlyvisible", "--name", "^%s$" % title).stdout.split():
                geometry = self.display.run("xdotool", "getwindowgeometry", "--shell", found).stdout
                values = dict(line.split("=", 1) for line in geometry.split())
                if int(values["HEIGHT"]) > 40:
                    return found, (int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))
            time.sleep(0.2)
        return None, None

    def find_main(self):
        found, box = self.window("Zumeli 3.1.4", 15)
        if found and box[3] >= PANEL_HEIGHT:
            # The menu bar sits above the panel.
            self.main = (found, box[0], box[1] + box[3] - PANEL_HEIGHT, box)
        return self.main is not None

    def pixel(self, point):
        x, y = self.main[1] + point[0], self.main[2] + point[1]
        shot = self.display.run("import", "-window", "root", "-crop", "1x1+%d+%d" % (x, y), "-depth", "8", "txt:-").stdout
        colour = shot.splitlines()[-1].split("#", 1)[1][:6]
        return tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4))

    def wait_pixel(self, point, test, timeout):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if test(self.pixel(point)):
                return True
            time.sleep(0.1)
        print("  pixel %s at panel %s" % (self.pixel(point), point), flush=True)
        return False

    def open_from_menu(self, code, title):
        """Opens a window through the menu bar with the keyboard: F10, then the arrows."""
        top, index = menu_path(code)
        window, x, y, box = self.main
        # Side windows may cover the panel: the main window comes to the front with the focus.
        self.display.run("xdotool", "windowraise", window)
        self.display.run("xdotool", "windowfocus", "--sync", window)
        self.display.run("xdotool", "mousemove", str(box[0] + box[2] - 20), str(box[1] + 10))
        self.display.run("xdotool", "key", "F10")
        time.sleep(0.3)
        for _ in range(top):
            self.display.run("xdotool", "key", "Right")
        time.sleep(0.3)
        for _ in range(index + 1):
            self.display.run("xdotool", "key", "Down")
        self.display.run("xdotool", "key", "Return")
        return self.window(title)

    def click(self, box, point):
        self.display.run("xdotool", "mousemove", str(box[0] + point[0]), str(box[1] + point[1]), "click", "1")

    def stop(self):
        stop_process(self.process)


def start(build, folder, microphone, settings):
    display = Display(folder)
    server = Server(build, folder)
    server.start()
    register(build, folder, server, "carol", "secret-two")
    speaker = os.path.join(folder, "speaker.wav")
    desktop = Desktop(build, folder, display, server, "carol", "secret-two", microphone, speaker, settings)
    check(desktop.find_main(), "the main window is shown")
    check(desktop.wait_pixel(CHANNEL_LAMP, lit_green, 20), "the client joined 10.00 (CH lamp lit)")
    return display, server, desktop


def player_reaches_a_peer(build, folder, peers):
    speech = make_speech(folder)
    microphone = silent_wav(os.path.join(folder, "silence.wav"))
    display, server, desktop = start(build, folder, microphone, [("ui.player.audiofile", speech)])
    try:
        recording = os.path.join(folder, "bob.wav")
        bob = Cli(build, folder, "bob", server, ["--guest", "--channel", "1000", "--record", recording,
                                                 "--duration", "25"])
        peers.append(bob)
        check(bob.wait_for(VOICE_UP), "bob listens on 10.00")
        player, box = desktop.open_from_menu("aupl", "Player")
        check(player is not None, "the player window opens from the Tools menu")
        # Beside the panel, so that its on-air lamp stays in sight.
        desktop.display.run("xdotool", "windowmove", "--sync", player, str(desktop.main[3][0] + desktop.main[3][2] + 4), "40")
        player, box = desktop.window("Player")
        time.sleep(2.0)  # past the client's 1.5 s guard between talk presses
        desktop.click(box, PLAYER_PLAY)
        check(desktop.wait_pixel(ON_AIR, lit_red, 5), "Play with the talk switch on puts the client on the air")
        time.sleep(PLAY_SECONDS - 0.5)
        desktop.click(box, PLAYER_STOP)
        check(desktop.wait_pixel(ON_AIR, dark, 5), "Stop takes the client off the air")
        check(bob.wait(40) is not None, "bob's recorder ended")
        # The speech is the file the player played: the recording follows it.
        follows_speech(speech, recording, "the played file", PLAY_SECONDS)
        return 0
    finally:
        desktop.stop()
        print("desktop log: %s" % desktop.log_path, flush=True)
        server.stop()
        display.stop()


def screenshots(build, folder, target):
    """Each audio window while it works: the microphone speaks, the player plays into the talk."""
    os.makedirs(target, exist_ok=True)
    speech = make_speech(folder)
    display, server, desktop = start(build, folder, speech, [("ui.player.audiofile", speech)])
    try:
        def shoot(window, name):
            path = os.path.join(target, "audio-%s.png" % name)
            display.run("xdotool", "windowraise", window)
            time.sleep(0.3)
            display.run("import", "-window", window, path)
            print("  saved %s" % path, flush=True)

        player, box = desktop.open_from_menu("aupl", "Player")
        check(player is not None, "the player opens")
        desktop.click(box, PLAYER_PLAY)
        spectrum, _ = desktop.open_from_menu("spct", "Spectrum")
        check(spectrum is not None, "the spectrum opens")
        time.sleep(2.5)
        shoot(spectrum, "spectrum")
        shoot(player, "player")
        recorder, box = desktop.open_from_menu("aure", "Recorder")
        check(recorder is not None, "the recorder opens")
        desktop.click(box, RECORDER_RECORD)
        time.sleep(2.5)
        shoot(recorder, "recorder")
        timed, box = desktop.open_from_menu("plut", "Timed player")
        check(timed is not None, "the timed player opens")
        desktop.click(box, TIMED_START)
        time.sleep(1.5)
        shoot(timed, "timed-player")
        auto, box = desktop.open_from_menu("autk", "Voice activation")
        check(auto is not None, "the voice activation window opens")
        desktop.click(box, VOICE_SWITCH)
        time.sleep(1.5)
        shoot(auto, "voice-activation")
        test, box = desktop.open_from_menu("tsta", "Audio test")
        check(test is not None, "the audio test opens")
        desktop.click(box, AUDIO_TEST_RUN[0])
        time.sleep(1.5)
        shoot(test, "audio-test")
        return 0
    finally:
        desktop.stop()
        print("desktop log: %s" % desktop.log_path, flush=True)
        server.stop()
        display.stop()


def main():
    if len(sys.argv) not in (2, 4) or (len(sys.argv) == 4 and sys.argv[2] != "--screenshots"):
        print(__doc__)
        return 2
    build = os.path.abspath(sys.argv[1])
    folder = tempfile.mkdtemp(prefix="zumeli-audio-e2e-")
    peers = []
    try:
        if len(sys.argv) == 4:
            return screenshots(build, folder, os.path.abspath(sys.argv[3]))
        code = player_reaches_a_peer(build, folder, peers)
        print("all audio window checks passed", flush=True)
        return code
    except SystemExit as stop:
        return int(stop.code or 1)
    except Exception as error:  # a crash of the test itself is a failure too
        fail("unexpected %r" % error)
    finally:
        for peer in peers:
            peer.stop()


if __name__ == "__main__":
    sys.exit(main())
