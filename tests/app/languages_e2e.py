#!/usr/bin/env python3
"""The desktop client in other languages on an Xvfb display of its own, against a real zumeli-server.

Usage: languages_e2e.py BUILD_DIR [SHOTS_DIR]

For Italian, Spanish, French and German (the locale's language, LC_ALL): a first start shows the
registration window in that language; cancelled, the client logs in as a guest and the panel's
switches and channel title show their translations. For Chinese, Arabic and Hebrew (no full
translation; the locale "he" reads the table's "il" column) a user table in the data folder gives a
few panel texts in those scripts, and the client must draw them: the switch labels are probed for
text pixels, and the Hebrew and Arabic labels must end at the right of their line, where
right-to-left text starts. With SHOTS_DIR, the screenshots are kept there as lang-*.png.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
sys.path.insert(0, HERE)
from zumeli_e2e import Server, check, fail  # noqa: E402
from desktop_e2e import CHANNEL_LAMP, PANEL_HEIGHT, Display, lit_green, stop_process  # noqa: E402

ROOT = os.path.join(HERE, "..", "..")
TABLE = os.path.join(ROOT, "resources", "aux", "ZumeliLocalization.xml")

# What the panel must show in each translated language: the channel title's word and one switch.
TRANSLATED = {
    "it": ("it_IT.UTF-8", "Canale", "Riascolta"),
    "es": ("es_ES.UTF-8", "Canal", "Repetir"),
    "fr": ("fr_FR.UTF-8", "Canal", "Réécouter"),
    "de": ("de_DE.UTF-8", "Kanal", "Nochmal"),
}

# A few panel texts in scripts that need font fallback and, for two of them, right-to-left layout.
OTHER_SCRIPTS = {
    "zh": ("zh_CN.UTF-8", "zh", {"*CANAL_2D2A": "频道", "*MUTE_2BA6": "静音", "*QUIET_2D60": "勿扰",
                                  "*VOICE_2D18": "声控", "*MONITOR_3247": "监听", "*HOLD_2B8D": "保持",
                                  "*REPLAY_2F84": "重播", "*PUSH_TO_TALK_BUTTON": "讲话"}),
    "ar": ("ar_EG.UTF-8", "ar", {"*CANAL_2D2A": "القناة", "*MUTE_2BA6": "كتم", "*QUIET_2D60": "هدوء",
                                  "*VOICE_2D18": "صوت", "*MONITOR_3247": "مراقبة", "*HOLD_2B8D": "تثبيت",
                                  "*REPLAY_2F84": "إعادة", "*PUSH_TO_TALK_BUTTON": "تحدث"}),
    "he": ("he_IL.UTF-8", "il", {"*CANAL_2D2A": "ערוץ", "*MUTE_2BA6": "השתק", "*QUIET_2D60": "שקט",
                                  "*VOICE_2D18": "קול", "*MONITOR_3247": "ניטור", "*HOLD_2B8D": "החזק",
                                  "*REPLAY_2F84": "שידור חוזר", "*PUSH_TO_TALK_BUTTON": "דבר"}),
}

# Where the switch labels lie on the panel (x from, x to, y from, y to): right of each switch
# lamp, as the panel layout places them.
LABELS = {"Mute": (262, 326, 336, 352), "Quiet": (338, 402, 336, 352), "Voice": (262, 326, 360, 376),
          "Monitor": (338, 402, 360, 376)}


# The middle of the registration window's Cancel button.
CANCEL = (70, 287)


class Client:
    """The zumeli program with a fresh home, in the given locale, on the null sound back end."""

    def __init__(self, build, folder, display, server, name, locale, table=None):
        self.home = os.path.join(folder, name)
        os.makedirs(os.path.join(self.home, "config"), exist_ok=True)
        os.makedirs(os.path.join(self.home, "data", "Zumeli"), exist_ok=True)
        if table:
            with open(os.path.join(self.home, "data", "Zumeli", "ZumeliLocalization.xml"), "w", encoding="utf-8") as f:
                f.write(table)
        prefs = os.path.join(self.home, "zumeli.preferences")
        with open(prefs, "w") as f:
            f.write("<settings>\r\n<archive><item><name>private.service.host</name><data>127.0.0.1</data></item>"
                    "<item><name>private.service.port</name><data>%d</data></item></archive>\r\n</settings>\r\n"
                    % server.web_port)
        env = dict(display.env(), HOME=self.home, XDG_DATA_HOME=os.path.join(self.home, "data"),
                   XDG_CONFIG_HOME=os.path.join(self.home, "config"), XDG_RUNTIME_DIR=self.home,
                   ZUMELI_AUDIO="null", NO_AT_BRIDGE="1", LC_ALL=locale, LANG=locale)
        self.log_path = os.path.join(folder, name + ".log")
        self.log = open(self.log_path, "wb")
        self.process = subprocess.Popen([os.path.join(build, "app", "zumeli"), "-prefspath", prefs],
                                        stdout=self.log, stderr=subprocess.STDOUT, env=env)
        self.display = display

    def window(self, title, timeout=15):
        """The geometry (x, y, width, height) of the shown window with this exact title."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            for found in self.display.run("xdotool", "search", "--onlyvisible", "--name",
                                          "^%s$" % re.escape(title)).stdout.split():
                values = dict(line.split("=", 1) for line in
                              self.display.run("xdotool", "getwindowgeometry", "--shell", found).stdout.split())
                return found, (int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))
            time.sleep(0.2)
        return None, None

    def stop(self):
        stop_process(self.process)


class Shot:
    """One screenshot of the whole screen, read as RGB rows."""

    def __init__(self, display, path):
        display.run("import", "-window", "root", path)
        self.path = path
        out = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, timeout=20).stdout
        size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.data = out

    def pixel(self, x, y):
        at = 3 * (y * self.width + x)
        return tuple(self.data[at:at + 3])

    def crop(self, box, path):
        x, y, w, h = box
        subprocess.run(["convert", self.path, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", path],
                       check=True, timeout=20)


def text_columns(shot, origin, box, amber=False):
    """The x offsets (from the box's left) of the columns that hold text pixels: the labels are
    light on the panel's dark face, the display's texts amber on black."""
    x0, x1, y0, y1 = box
    inked = (lambda p: p[0] > 120 and p[2] < 90) if amber else (lambda p: max(p) > 150)
    return [x - x0 for x in range(x0, x1) if any(inked(shot.pixel(origin[0] + x, origin[1] + y)) for y in range(y0, y1))]


# The channel title: the localised word for "Channel", three spaces, the channel ("10.00").
TITLE = (28, 242, 20, 36)


def ink_groups(columns):
    """Runs of inked columns split at the widest gap: the title's word and its channel number."""
    gaps = [(b - a, i) for i, (a, b) in enumerate(zip(columns, columns[1:]))]
    width, at = max(gaps)
    return columns[at] - columns[0] + 1, columns[-1] - columns[at + 1] + 1


def title_order(shot, origin, digits_width):
    """"ltr" when the channel number ends the title, "rtl" when it starts it (a right-to-left
    paragraph puts the number, written after the word, at the left)."""
    first, last = ink_groups(text_columns(shot, origin, TITLE, amber=True))
    if abs(last - digits_width) <= 1 and abs(first - digits_width) > 1:
        return "ltr"
    if abs(first - digits_width) <= 1 and abs(last - digits_width) > 1:
        return "rtl"
    return "unclear (%d, %d px; the number is %d px)" % (first, last, digits_width)


def table_with(columns, texts):
    """The shipped table with these texts in the given language column."""
    with open(TABLE, encoding="utf-8") as f:
        table = f.read()
    for key, text in texts.items():
        pattern = r"(<lookup_id>%s</lookup_id>.*?<%s>)[^<]*(</%s>)" % (re.escape(key), columns, columns)
        table, count = re.subn(pattern, lambda m: m.group(1) + text + m.group(2), table, count=1, flags=re.S)
        check(count == 1, "the table has %s" % key)
    return table


def cancel(display, box):
    """Presses the registration window's Cancel button: the client goes on as a guest."""
    x, y = box[0] + CANCEL[0], box[1] + CANCEL[1]
    display.run("xdotool", "mousemove", str(x), str(y), "click", "1")


def panel_origin(client):
    """The panel's top left on the screen; the menu bar sits above the panel."""
    _, box = client.window("Zumeli 3.1.4")
    check(box is not None and box[3] >= PANEL_HEIGHT, "the main window is shown")
    return box[0], box[1] + box[3] - PANEL_HEIGHT, box


def wait_logged_in(display, origin):
    deadline = time.time() + 20
    while time.time() < deadline:
        shot = Shot(display, os.path.join(tempfile.gettempdir(), "zumeli-lang-probe-%d.png" % os.getpid()))
        if lit_green(shot.pixel(origin[0] + CHANNEL_LAMP[0], origin[1] + CHANNEL_LAMP[1])):
            os.unlink(shot.path)
            return True
        time.sleep(0.3)
    return False


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__)
        return 2
    build = os.path.abspath(sys.argv[1])
    shots = os.path.abspath(sys.argv[2]) if len(sys.argv) == 3 else None
    folder = tempfile.mkdtemp(prefix="zumeli-languages-e2e-")
    display = server = client = None
    try:
        display = Display(folder)
        server = Server(build, folder)
        server.start()

        for language, (locale, channel_word, replay) in TRANSLATED.items():
            print("-- %s" % language, flush=True)
            client = Client(build, folder, display, server, language, locale)
            with open(TABLE, encoding="utf-8") as f:
                title = re.search(r"<lookup_id>\*CREATE_YOUR_ZUMELI_A_A77C</lookup_id>.*?<%s>([^<]*)<" % language,
                                  f.read(), re.S).group(1)
            registration, box = client.window(title)
            check(registration is not None, "%s: the registration window is titled \"%s\"" % (language, title))
            time.sleep(1.0)
            shot = Shot(display, os.path.join(folder, "%s-screen-registration.png" % language))
            if shots:
                shot.crop(box, os.path.join(shots, "lang-%s-registration.png" % language))
            cancel(display, box)
            x, y, main_box = panel_origin(client)
            check(wait_logged_in(display, (x, y)), "%s: logged in as a guest (CH lamp lit)" % language)
            time.sleep(1.0)
            shot = Shot(display, os.path.join(folder, "%s-screen-panel.png" % language))
            if shots:
                shot.crop(main_box, os.path.join(shots, "lang-%s-panel.png" % language))
            for label, area in LABELS.items():
                check(len(text_columns(shot, (x, y), area)) > 3, "%s: the %s switch has a label" % (language, label))
            # The title's number, "10.00", ends a left-to-right title; its width is the yardstick
            # for the right-to-left titles below.
            digits_width = ink_groups(text_columns(shot, (x, y), TITLE, amber=True))[1]
            check(title_order(shot, (x, y), digits_width) == "ltr", "%s: the title reads left to right" % language)
            client.stop()
            client = None

        for language, (locale, column, texts) in OTHER_SCRIPTS.items():
            print("-- %s" % language, flush=True)
            client = Client(build, folder, display, server, language, locale, table_with(column, texts))
            registration, box = client.window("Create your Zumeli account")
            check(registration is not None, "%s: the registration window shows (in English)" % language)
            cancel(display, box)
            x, y, main_box = panel_origin(client)
            check(wait_logged_in(display, (x, y)), "%s: logged in as a guest" % language)
            time.sleep(1.0)
            shot = Shot(display, os.path.join(folder, "%s-screen-panel.png" % language))
            if shots:
                shot.crop(main_box, os.path.join(shots, "lang-%s-panel.png" % language))
            for label, area in LABELS.items():
                columns = text_columns(shot, (x, y), area)
                check(len(columns) > 3, "%s: the %s switch label is drawn" % (language, label))
            order = title_order(shot, (x, y), digits_width)
            expected = "ltr" if language == "zh" else "rtl"
            check(order == expected, "%s: the title is laid out %s (%s)" % (language, expected, order))
            client.stop()
            client = None
        print("all language checks passed", flush=True)
        return 0
    except SystemExit as stop:
        return int(stop.code or 1)
    except Exception as error:  # a crash of the test itself is a failure too
        fail("unexpected %r" % error)
    finally:
        if client:
            client.stop()
        if server:
            server.stop()
        if display:
            display.stop()
        if os.environ.get("ZUMELI_KEEP_E2E") is None:
            shutil.rmtree(folder, ignore_errors=True)
        else:
            print("kept %s" % folder)


if __name__ == "__main__":
    sys.exit(main())
