#!/usr/bin/env python3
"""Channel administration end to end: a real zumeli-server, the `zumeli` program on an Xvfb display
of its own and zumeli-cli clients in every role.

Usage: admin_e2e.py BUILD_DIR [SCREENSHOT_DIR]

The desktop user takes channel 10.00 through the request window, ticks a co-administrator, an
allowed talker, an allowed listener and a user not admitted in the people selector, chooses the
mode "listed talkers and listeners" and saves. Then a zumeli-cli in each role (co-administrator,
allowed talker, allowed listener, not admitted, another registered user, a guest) joins and must
get the join result and the talk permission that mode gives it; the listener's talk must never
reach anybody while the talker's does. The co-administrator then saves each other mode through the
web API and the roles are checked again. Last, the channel becomes a family channel and the desktop
opens the family editor. With SCREENSHOT_DIR the three windows and the selector are saved there.
Every wait is bounded; everything started is stopped at the end.
"""

import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
from desktop_e2e import CHANNEL_LAMP, Desktop, Display, lit_green  # noqa: E402
from zumeli_e2e import (VOICE_UP, Cli, Server, check, checksum_hex, envelope, fail,  # noqa: E402
                        make_speech, read_wav)

PASSWORD = "secret-one"
# Items of the windows, at their layout places (window client coordinates).
ADRQ = (345, 157)
ACOP = (335, 149)
EDIT = {"coadmins": (500, 289), "talkers": (500, 345), "listeners": (500, 401), "excluded": (500, 457)}
SAVE = (490, 529)
# The talkers' and the listeners' edit buttons (inside their frames): alike when both are enabled.
EDIT_FACES = {"talkers": (464, 333, 72, 24), "listeners": (464, 389, 72, 24)}
SELECTOR_OK = (390, 385)
ROW_TICK_X, ROW_TOP, ROW_HEIGHT = 400, 32, 28

# Expected outcome per access mode for each role: "0" talks, "1" listens only, "-" refused.
ROLES = ["cody", "tara", "lena", "barry", "oscar", "guest"]
EXPECTED = {
    0: ["0", "0", "0", "0", "0", "0"],
    1: ["0", "0", "1", "-", "0", "0"],
    2: ["0", "0", "1", "-", "1", "1"],
    3: ["0", "0", "1", "-", "-", "-"],
    4: ["0", "0", "-", "-", "-", "-"],
    5: ["0", "0", "1", "-", "0", "-"],
}


def register(server, name):
    reply = server.post("7/Register/Register.php", [("user", name), ("password", checksum_hex(PASSWORD.encode())),
                                                     ("mail", name + "@example.org"), ("lang", "en"), ("mi", "e2e"),
                                                     ("ms", "e2e"), ("ai", "e2e"), ("ur", "1")])
    check("<status>OK</status>" in reply, "registered %s" % name)


class Windows:
    """The desktop's windows by title, through xdotool."""

    def __init__(self, display):
        self.display = display

    def find(self, title, height=None, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            for found in self.display.run("xdotool", "search", "--onlyvisible", "--name", "^%s$" % title).stdout.split():
                geometry = self.display.run("xdotool", "getwindowgeometry", "--shell", found).stdout
                values = dict(line.split("=", 1) for line in geometry.split())
                if height is None or int(values["HEIGHT"]) == height:
                    return found, (int(values["X"]), int(values["Y"]))
            time.sleep(0.2)
        return None, None

    def gone(self, window, timeout=5):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.display.run("xdotool", "getwindowname", window).returncode != 0:
                return True
            if not self.display.run("xdotool", "search", "--onlyvisible", "--name", ".").stdout.count(window):
                return True
            time.sleep(0.2)
        return False

    def click(self, origin, point, button="1"):
        self.display.run("xdotool", "mousemove", str(origin[0] + point[0]), str(origin[1] + point[1]))
        time.sleep(0.15)
        self.display.run("xdotool", "click", button)
        time.sleep(0.3)

    def shoot(self, window, folder, name):
        if folder:
            path = os.path.join(folder, name)
            self.display.run("import", "-window", window, path)
            print("  screenshot %s" % path, flush=True)


def face(display, window, which):
    """The colours of an edit button's face, position by position."""
    x, y, w, h = EDIT_FACES[which]
    out = display.run("import", "-window", window, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "-depth", "8",
                      "txt:-").stdout
    return [line.split(":", 1)[1] for line in out.splitlines()[1:]]


def open_administration(display, desktop):
    """Channel > Channel administration... from the menu bar, with the keyboard."""
    main = display.run("xdotool", "search", "--name", "^Zumeli 3.1.4$").stdout.split()[0]
    display.run("xdotool", "windowactivate", "--sync", main)
    display.run("xdotool", "windowfocus", "--sync", main)
    # The menu bar's second menu, then its last item.
    x, y = desktop.origin
    display.run("xdotool", "mousemove", str(x + 80), str(y - 12), "click", "1")
    time.sleep(0.5)
    display.run("xdotool", "key", "Up")
    time.sleep(0.2)
    display.run("xdotool", "key", "Return")
    time.sleep(0.5)


def tick(windows, selector_origin, names, name):
    row = names.index(name)
    windows.click(selector_origin, (ROW_TICK_X, ROW_TOP + ROW_HEIGHT * row + 14))


def edit_list(windows, editor_origin, which, title, names, people, folder=None, shot=None):
    windows.click(editor_origin, EDIT[which])
    selector, origin = windows.find(title)
    check(selector is not None, "the people selector opens as \"%s\"" % title)
    time.sleep(0.3)
    for name in people:
        tick(windows, origin, names, name)
    if shot:
        windows.shoot(selector, folder, shot)
    windows.click(origin, SELECTOR_OK)
    check(windows.gone(selector), "the selector closes on OK")


def role_outcome(cli, timeout=15):
    """'0' (in, may talk), '1' (in, listen only) or '-' (refused), from the client's events."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        if cli.events("join-failed"):
            return "-"
        if cli.events(VOICE_UP):
            time.sleep(0.3)
            return "1" if cli.events("talk-forbidden") else "0"
        if cli.process.poll() is not None:
            break
        time.sleep(0.1)
    return "?"


def check_roles(build, folder, server, mode, label):
    clients = []
    try:
        for role in ROLES:
            login = ["--guest"] if role == "guest" else ["--user", role, "--pass", PASSWORD]
            clients.append(Cli(build, folder, "%s-%d-%s" % (role, mode, label), server,
                               login + ["--channel", "1000", "--duration", "20"]))
        for role, cli, expected in zip(ROLES, clients, EXPECTED[mode]):
            got = role_outcome(cli)
            check(got == expected, "mode %d (%s): %s %s" % (mode, label, role, {
                "0": "joins and may talk", "1": "joins and may only listen", "-": "is refused",
                "?": "did not finish joining"}[expected] + ("" if got == expected else " (got %s)" % got)))
    finally:
        for cli in clients:
            cli.stop()


def silent(path):
    samples, rate = read_wav(path)
    heard = envelope(samples, rate)
    return not heard or max(heard) < 300


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__)
        return 2
    build = os.path.abspath(sys.argv[1])
    shots = os.path.abspath(sys.argv[2]) if len(sys.argv) == 3 else None
    if shots:
        os.makedirs(shots, exist_ok=True)
    folder = tempfile.mkdtemp(prefix="zumeli-admin-e2e-")
    display = server = desktop = None
    peers = []
    try:
        display = Display(folder)
        windows = Windows(display)
        server = Server(build, folder)
        server.start()
        for name in ["olivia"] + ROLES[:-1]:
            register(server, name)
        # Everyone is in the channel while the desktop user edits, so the selector knows them.
        for name in ROLES[:-1]:
            peers.append(Cli(build, folder, "present-" + name, server,
                             ["--user", name, "--pass", PASSWORD, "--channel", "1000", "--duration", "90"]))
        for peer in peers:
            check(peer.wait_for(VOICE_UP), "%s is in 10.00" % peer.name)
        desktop = Desktop(build, folder, display, server, "olivia", PASSWORD, None, None)
        check(desktop.find_window(), "the main window is shown")
        check(desktop.wait_pixel(CHANNEL_LAMP, lit_green, 20), "the desktop joined 10.00")
        time.sleep(1.0)

        # The request window: the channel is free, olivia takes it.
        open_administration(display, desktop)
        request, origin = windows.find("Channel administration", height=190)
        check(request is not None, "the menu opens the administration request")
        time.sleep(0.6)
        windows.shoot(request, shots, "admin-request.png")
        windows.click(origin, ADRQ)
        editor, origin = windows.find("Channel administration", height=560)
        check(editor is not None, "after the claim the editor opens")
        time.sleep(1.5)  # it reads the document half a second after opening

        # Listed talkers and listeners; cody co-administers, tara talks, lena listens, barry is out.
        names = sorted(["barry", "cody", "lena", "olivia", "oscar", "tara"])
        edit_list(windows, origin, "coadmins", "Co-Administrators", names, ["cody"])
        for _ in range(3):
            windows.click(origin, ACOP, "5")  # the wheel moves the mode list on by one
        edit_list(windows, origin, "talkers", "Allowed talkers", names, ["tara"])
        edit_list(windows, origin, "listeners", "Allowed listeners", names, ["lena"], shots, "admin-selector.png")
        for _ in range(2):
            windows.click(origin, ACOP, "4")
        edit_list(windows, origin, "excluded", "Not admitted", names, ["barry"])
        for _ in range(2):
            windows.click(origin, ACOP, "5")
        time.sleep(0.3)
        check(face(display, editor, "talkers") == face(display, editor, "listeners"),
              "in mode 3 the talkers' and the listeners' lists can both be edited")
        windows.shoot(editor, shots, "admin-editor.png")
        windows.click(origin, SAVE)
        check(windows.gone(editor), "Save closes the editor")

        for peer in peers:
            peer.stop()
        peers = []
        time.sleep(0.5)
        check_roles(build, folder, server, 3, "saved by the desktop")

        # The listener's talk reaches nobody; the talker's does.
        speech = make_speech(folder)
        for talker, code, heard in (("lena", 5, False), ("tara", 0, True)):
            recording = os.path.join(folder, "cody-hears-%s.wav" % talker)
            cody = Cli(build, folder, "cody-hears-" + talker, server,
                       ["--user", "cody", "--pass", PASSWORD, "--channel", "1000", "--record", recording,
                        "--duration", "14"])
            peers.append(cody)
            check(cody.wait_for(VOICE_UP), "cody listens")
            voice = Cli(build, folder, "talk-" + talker, server,
                        ["--user", talker, "--pass", PASSWORD, "--channel", "1000", "--talk", speech,
                         "--duration", "10"])
            peers.append(voice)
            check(voice.wait(30) == code, "%s's talk ends with exit code %d" % (talker, code))
            check(cody.wait(30) == 0, "cody's recorder ended")
            if heard:
                check(voice.events("talk-acknowledged"), "the allowed talker's talk was acknowledged")
                check(not silent(recording), "cody heard the allowed talker")
            else:
                check(not voice.events("talk-acknowledged"), "the listener's talk was never acknowledged")
                check(silent(recording), "nothing the listener said reached cody")

        # The other modes, saved by the co-administrator through the web API.
        uid, session = server.login("cody", PASSWORD)
        server.post("7/joinChannel.php", [("ch", 1000), ("sid", session), ("ur", "1"), ("ts", 0)])
        status = server.post("7/GetAdmin.php", [("sessionID", session)])
        lists = ""
        for list_name in ("restricted", "listenOnly", "excluded"):
            start = status.find("<%s>" % list_name)
            end = status.find("</%s>" % list_name)
            check(start >= 0 and end > start, "cody reads the %s list" % list_name)
            lists += status[start:end + len(list_name) + 3]
        for mode in (0, 1, 2, 4, 5):
            saved = server.post("7/SaveAdmin.php", [("sessionID", session), (
                "data", "<administration><ChannelAccessMode>%d</ChannelAccessMode>%s</administration>" % (mode, lists))])
            check("<status>OK</status>" in saved, "cody saved mode %d" % mode)
            check_roles(build, folder, server, mode, "saved by the co-administrator")

        # A family channel: the desktop opens the family editor, whose lists follow mode 4 (talkers
        # only) whatever mode the document holds.
        saved = server.post("7/SaveAdmin.php", [("sessionID", session), (
            "data", "<administration><ChannelAccessMode>3</ChannelAccessMode><type>1</type>%s</administration>"
            % lists)])
        check("<status>OK</status>" in saved, "cody made 10.00 a family channel")
        open_administration(display, desktop)
        family, origin = windows.find("Channel administration", height=560)
        check(family is not None, "the family editor opens")
        time.sleep(1.5)
        check(face(display, family, "talkers") != face(display, family, "listeners"),
              "in the family editor the listeners' list cannot be edited in mode 3")
        windows.shoot(family, shots, "admin-family.png")
        print("all administration checks passed", flush=True)
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
