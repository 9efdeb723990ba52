#!/usr/bin/env python3
"""The desktop client's messages end to end: a real zumeli-server, zumeli-cli peers and the
`zumeli` program on an Xvfb display of its own, driven with xdotool and checked by pixel probes and
by what the peers print.

Usage: messages_e2e.py BUILD_DIR [SCREENSHOT_DIR]

Checks: a message from `zumeli-cli --message` that arrives while the main window is not focused is
announced by a desktop notification (to a stand-in notification server on a session bus of the
test's own), and clicking it opens the message box, which shows the message; a text typed in the
box reaches the peer (`--events` prints it); a service message queued with
`zumeli-server --queue-service-message` opens its window with its buttons, and its button opens
the address in the browser. With SCREENSHOT_DIR, every window met on the way is saved there.
Every wait is bounded; everything started is stopped at the end.
"""

import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
sys.path.insert(0, HERE)
from zumeli_e2e import VOICE_UP, Cli, Server, check, fail, make_speech, register  # noqa: E402
from desktop_e2e import CHANNEL_LAMP, Desktop, Display, lit_green, menu_path, stop_process  # noqa: E402

# Points inside the message box (its client area).
FIRST_BUBBLE = (266, 80)       # the empty lower part of the first row's received bubble
SECOND_BUBBLE_SENT = (180, 154)  # the same part of the second row's sent bubble
EDIT = (200, 416)
SEND = (457, 416)
REPLY = (18 + 62 + 230 + 35, 16 + 47 + 10)
INVITE = (18 + 62 + 306 + 35, 16 + 47 + 10)
CANCEL = (260, 119)
SERVICE_BUTTON0 = (378, 185)


def received_bubble(rgb):
    return min(rgb) > 200 and abs(rgb[0] - rgb[2]) < 20


def sent_bubble(rgb):
    return rgb[0] > 230 and rgb[2] < 215 and rgb[0] - rgb[2] > 30


class Window:
    """A top-level window of the client found by its exact title."""

    def __init__(self, display, title, timeout=15):
        self.display = display
        self.id = None
        deadline = time.time() + timeout
        while time.time() < deadline and not self.id:
            found = display.run("xdotool", "search", "--onlyvisible", "--name", "^%s$" % title).stdout.split()
            if found:
                self.id = found[-1]
                geometry = display.run("xdotool", "getwindowgeometry", "--shell", self.id).stdout
                values = dict(line.split("=", 1) for line in geometry.split())
                self.origin = (int(values["X"]), int(values["Y"]))
                self.size = (int(values["WIDTH"]), int(values["HEIGHT"]))
            else:
                time.sleep(0.2)

    def screen(self, point):
        return self.origin[0] + point[0], self.origin[1] + point[1]

    def click(self, point):
        x, y = self.screen(point)
        self.display.run("xdotool", "mousemove", str(x), str(y), "click", "1")

    def pixel(self, point):
        x, y = self.screen(point)
        shot = self.display.run("import", "-window", "root", "-crop", "1x1+%d+%d" % (x, y), "-depth", "8", "txt:-").stdout
        colour = shot.splitlines()[-1].split("#", 1)[1][:6]
        return tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4))

    def wait_pixel(self, point, test, timeout):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if test(self.pixel(point)):
                return True
            time.sleep(0.2)
        print("  pixel %s at %s" % (self.pixel(point), point), flush=True)
        return False

    def raise_(self):
        self.display.run("xdotool", "windowraise", self.id)
        time.sleep(0.3)

    def shoot(self, folder, name):
        if folder:
            self.raise_()
            self.display.run("import", "-window", "root", "-crop", "%dx%d+%d+%d" % (self.size + self.origin),
                             os.path.join(folder, name))


class Notifications:
    """A session bus of our own with the stand-in notification server on it."""

    def __init__(self, folder):
        self.log = os.path.join(folder, "notifications.log")
        self.clicks = os.path.join(folder, "clicks.txt")
        address = "unix:path=%s" % os.path.join(folder, "bus")
        self.bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--address=" + address],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while time.time() < deadline and not os.path.exists(os.path.join(folder, "bus")):
            time.sleep(0.05)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
        # The system's Python carries the GLib bindings.
        python = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
        self.server = subprocess.Popen([python, os.path.join(HERE, "fake_notifications.py"), self.log, self.clicks],
                                       stderr=open(os.path.join(folder, "notifications.err"), "wb"))
        while time.time() < deadline and not os.path.exists(self.log):
            time.sleep(0.05)
        check(os.path.exists(self.log), "the stand-in notification server owns its name")

    def wait_for(self, text, timeout):
        deadline = time.time() + timeout
        while time.time() < deadline:
            for line in open(self.log).read().splitlines():
                if text in line:
                    return line.split("\t")
            time.sleep(0.2)
        return None

    def click(self, number):
        with open(self.clicks, "a") as f:
            f.write("%s\n" % number)

    def stop(self):
        stop_process(self.server)
        stop_process(self.bus)


def open_from_menu(display, desktop, code):
    """Opens a window from the main window's menu bar with the keyboard (F10, then arrows)."""
    menu_index, item_index = menu_path(code)
    item_index += 1  # the first Down selects the first item
    main = display.run("xdotool", "search", "--name", "^Zumeli 3.1.4$").stdout.split()[0]
    display.run("xdotool", "windowraise", main)
    display.run("xdotool", "windowfocus", "--sync", main)
    display.run("xdotool", "key", "F10")
    time.sleep(0.4)
    for _ in range(menu_index):
        display.run("xdotool", "key", "Right")
        time.sleep(0.15)
    for _ in range(item_index):
        display.run("xdotool", "key", "Down")
        time.sleep(0.1)
    display.run("xdotool", "key", "Return")


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__)
        return 2
    build = os.path.abspath(sys.argv[1])
    shots = os.path.abspath(sys.argv[2]) if len(sys.argv) == 3 else None
    if shots:
        os.makedirs(shots, exist_ok=True)
    folder = tempfile.mkdtemp(prefix="zumeli-messages-e2e-")
    display = server = desktop = notifications = None
    peers = []
    try:
        display = Display(folder)
        server = Server(build, folder)
        # Two channels with names of their own, for the favourites.
        for number, name in (("1001", "Hill walkers"), ("1002", "Base camp")):
            named = subprocess.run([os.path.join(build, "server", "zumeli-server"), "--data", server.data,
                                    "--set-channel", number, "--name", name], capture_output=True, timeout=20)
            check(named.returncode == 0, "channel %s is named %s" % (number, name))
        server.start()
        register(build, folder, server, "carol", "secret-two")
        register(build, folder, server, "dave", "secret-three")
        carol_id, _ = server.login("carol", "secret-two")
        dave_id, _ = server.login("dave", "secret-three")
        check(carol_id.isdigit() and dave_id.isdigit(), "carol is %s, dave is %s" % (carol_id, dave_id))

        # Addresses the client opens are written down instead of starting a browser.
        tools = os.path.join(folder, "bin")
        os.makedirs(tools)
        opened = os.path.join(folder, "opened.txt")
        with open(os.path.join(tools, "xdg-open"), "w") as f:
            f.write("#!/bin/sh\necho \"$1\" >> %s\n" % opened)
        os.chmod(os.path.join(tools, "xdg-open"), 0o755)
        os.environ["PATH"] = tools + ":" + os.environ["PATH"]

        notifications = Notifications(folder)
        desktop = Desktop(build, folder, display, server, "carol", "secret-two", None, None)
        check(desktop.find_window(), "the main window is shown")
        check(desktop.wait_pixel(CHANNEL_LAMP, lit_green, 20), "the client joined 10.00 (CH lamp lit)")

        # The talk history logs a peer's talk while it is open.
        open_from_menu(display, desktop, "tahi")
        history = Window(display, "Talk history")
        check(history.id is not None, "the talk history opens from the Channel menu")
        speech = make_speech(folder)
        alice = Cli(build, folder, "alice", server, ["--guest", "--channel", "1000", "--talk", speech,
                                                     "--duration", "20"])
        peers.append(alice)
        check(alice.wait_for("talk-acknowledged", timeout=20), "alice talks")
        check(alice.wait(30) == 0, "alice's talk ended")
        # Then carol talks with her hot key.
        time.sleep(2.0)
        display.run("xdotool", "keydown", "F9")
        time.sleep(3.0)
        display.run("xdotool", "keyup", "F9")
        time.sleep(1.0)
        history.shoot(shots, "messages-talkhistory.png")

        # The named channels, visited once so that their records are known.
        main = display.run("xdotool", "search", "--name", "^Zumeli 3.1.4$").stdout.split()[0]
        for number in ("1001", "1002", "1000"):
            display.run("xdotool", "windowraise", main)
            display.run("xdotool", "windowfocus", "--sync", main)
            display.run("xdotool", "type", "--delay", "60", number)
            time.sleep(2.0)
        check(desktop.wait_pixel(CHANNEL_LAMP, lit_green, 20), "the client is back on 10.00")
        open_from_menu(display, desktop, "chLi")
        favourites = Window(display, "Favourite channels")
        check(favourites.id is not None, "the favourites open from the Channel menu")
        time.sleep(0.5)
        favourites.shoot(shots, "messages-favourites.png")

        # dave writes while another window has the focus: a notification tells, its click opens the box.
        favourites.raise_()
        display.run("xdotool", "windowfocus", "--sync", favourites.id)
        dave = Cli(build, folder, "dave", server, ["--user", "dave", "--pass", "secret-three", "--channel", "1000",
                                                   "--message", carol_id + ":Are you on the hill yet?",
                                                   "--duration", "90", "--audio", "null"])
        peers.append(dave)
        check(dave.wait_for(VOICE_UP), "dave is on 10.00")
        shown = notifications.wait_for("Are you on the hill yet?", 30)
        check(shown is not None and shown[1] == "dave", "a notification shows dave's message (%s)" % shown)
        notifications.click(shown[0])
        box = Window(display, "Messages")
        check(box.id is not None, "clicking the notification opens the message box")
        box.raise_()
        display.run("xdotool", "windowfocus", "--sync", box.id)
        check(box.wait_pixel(FIRST_BUBBLE, received_bubble, 30), "dave's message shows as a received row")
        time.sleep(0.5)
        box.shoot(shots, "messages-messagebox-received.png")

        # A text typed in the box reaches dave.
        box.click(EDIT)
        display.run("xdotool", "type", "--delay", "20", "On my way, ten minutes")
        box.click(SEND)
        check(box.wait_pixel(SECOND_BUBBLE_SENT, sent_bubble, 10), "the sent message shows as a sent row")
        deadline = time.time() + 30
        while time.time() < deadline and not any("On my way, ten minutes" in line for line in dave.events("message")):
            time.sleep(0.2)
        got = dave.events("message")
        print("  dave's messages: %s" % got, flush=True)
        check(("message %s On my way, ten minutes" % carol_id) in got, "dave received carol's message")
        box.shoot(shots, "messages-messagebox.png")

        # Reply and Invite of a received row open the windows that write to dave.
        box.click(REPLY)
        write = Window(display, "New message", timeout=10)
        check(write.id is not None, "Reply opens a new message to dave")
        write.shoot(shots, "messages-newmessage.png")
        write.click(CANCEL)
        box.click(INVITE)
        invite = Window(display, "Invite to the channel", timeout=10)
        check(invite.id is not None, "Invite opens an invitation for dave")
        invite.shoot(shots, "messages-invitation.png")
        invite.click(CANCEL)

        # A service message queued by the operator opens its window with its buttons.
        queued = subprocess.run([os.path.join(build, "server", "zumeli-server"), "--data", server.data,
                                 "--queue-service-message", carol_id,
                                 "Maintenance tonight from 23:00: the service stops for ten minutes.",
                                 "--button", "Read more|http://127.0.0.1:%d/maintenance" % server.web_port,
                                 "--button", "Later"], capture_output=True, text=True, timeout=20)
        check(queued.returncode == 0, "the service message is queued (%s)" % queued.stderr.strip())
        # The client fetches it with its next message fetch: a message from dave triggers one.
        nudge = Cli(build, folder, "dave-again", server, ["--user", "dave", "--pass", "secret-three",
                                                         "--message", carol_id + ":ping", "--duration", "5",
                                                         "--audio", "null"])
        peers.append(nudge)
        notice = Window(display, "Zumeli", timeout=40)
        check(notice.id is not None, "the service message opens a window")
        time.sleep(0.5)
        notice.shoot(shots, "messages-service.png")
        notice.click(SERVICE_BUTTON0)
        deadline = time.time() + 10
        while time.time() < deadline and not os.path.exists(opened):
            time.sleep(0.1)
        text = open(opened).read() if os.path.exists(opened) else ""
        check("http://127.0.0.1:%d/maintenance" % server.web_port in text, "the button opens its page (%r)" % text)
        print("all message checks passed", flush=True)
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
        if notifications:
            notifications.stop()
        if display:
            display.stop()


if __name__ == "__main__":
    sys.exit(main())
