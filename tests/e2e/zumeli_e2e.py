#!/usr/bin/env python3
"""End-to-end checks of Zumeli: a real zumeli-server and real zumeli-cli processes on 127.0.0.1.

Usage: zumeli_e2e.py BUILD_DIR CASE     (CASE: talk, message, restart, listen-only, names)

Each case starts its own server on free ports with a fresh data folder, runs clients with their
own preferences and cache folders, and checks what arrived. Every wait is bounded; every process
is stopped at the end. Prints one line per check and exits non-zero on the first failure.
"""

import array
import math
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.parse
import wave

SPEECH = "Zumeli radio check. One, two, three. The quick brown fox jumps over the lazy dog."


def fail(message):
    print("FAIL: " + message, flush=True)
    raise SystemExit(1)


def check(condition, message):
    print(("ok: " if condition else "FAIL: ") + message, flush=True)
    if not condition:
        raise SystemExit(1)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def checksum_hex(data: bytes) -> str:
    value = 0
    for byte in data:
        for _ in range(8):
            if (value ^ byte) & 1:
                value ^= 0x85C14003
            value >>= 1
            byte >>= 1
    return "%08X" % value


class Server:
    def __init__(self, build, folder):
        self.binary = os.path.join(build, "server", "zumeli-server")
        self.data = os.path.join(folder, "server-data")
        os.makedirs(self.data, exist_ok=True)
        self.web_port = free_port()
        self.voice_port = free_port()
        self.log = open(os.path.join(folder, "server.log"), "ab")
        self.process = None

    def start(self):
        self.process = subprocess.Popen(
            [self.binary, "--web-port", str(self.web_port), "--voice-port", str(self.voice_port),
             "--data", self.data, "--public-host", "127.0.0.1", "--log-level", "info"],
            stdout=self.log, stderr=self.log)
        deadline = time.time() + 10
        while time.time() < deadline:
            try:
                with socket.create_connection(("127.0.0.1", self.web_port), timeout=0.5):
                    return
            except OSError:
                time.sleep(0.05)
        fail("the server did not come up")

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process = None

    def post(self, path, fields):
        """One form POST the way the client sends it; returns the reply body."""
        body = "".join("%s=%s&" % (name, urllib.parse.quote(str(value), safe="")) for name, value in fields)
        request = ("POST /%s HTTP/1.0\r\nContent-Length: %d\r\nContent-Type: application/x-www-form-urlencoded\r\n\r\n%s"
                   % (path, len(body), body)).encode()
        with socket.create_connection(("127.0.0.1", self.web_port), timeout=10) as s:
            s.sendall(request)
            reply = b""
            while True:
                chunk = s.recv(65536)
                if not chunk:
                    break
                reply += chunk
        text = reply.decode("utf-8", "replace")
        return text.split("\r\n\r\n", 1)[1] if "\r\n\r\n" in text else text

    def login(self, user, password):
        reply = self.post("7/login.php", [("us", user), ("pw", checksum_hex(password.encode())), ("an", 0),
                                          ("mi", "e2e"), ("ms", "e2e"), ("mc", "-"), ("ai", "e2e"), ("ur", "1"),
                                          ("ln", "en"), ("apn", "")])
        return element(reply, "uid"), element(reply, "sessionID")


def element(xml, name):
    start = xml.find("<%s>" % name)
    end = xml.find("</%s>" % name, start)
    return xml[start + len(name) + 2:end].strip() if start >= 0 and end >= 0 else ""


class Cli:
    """One zumeli-cli process with its own preferences and cache folders."""

    def __init__(self, build, folder, name, server, args):
        self.name = name
        home = os.path.join(folder, name)
        os.makedirs(home, exist_ok=True)
        self.cache = os.path.join(home, "data", "Zumeli", "Cache")
        env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
                   XDG_CONFIG_HOME=os.path.join(home, "config"))
        self.output_path = os.path.join(folder, name + ".out")
        self.output = open(self.output_path, "wb")
        command = [os.path.join(build, "cli", "zumeli-cli"), "--server", "127.0.0.1:%d" % server.web_port,
                   "--prefs", os.path.join(home, "prefs.xml"), "--events"] + args
        self.process = subprocess.Popen(command, stdout=self.output, stderr=subprocess.STDOUT, env=env)

    def lines(self):
        with open(self.output_path, "rb") as f:
            return f.read().decode("utf-8", "replace").splitlines()

    def events(self, word):
        return [line for line in self.lines() if line.split(" ", 1)[0] == word]

    def wait_for(self, word, count=1, timeout=20.0):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if len(self.events(word)) >= count:
                return True
            if self.process.poll() is not None and len(self.events(word)) < count:
                return False
            time.sleep(0.05)
        return False

    def wait(self, timeout):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            return None

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def register(build, folder, server, name, password):
    cli = Cli(build, folder, "register-" + name, server,
              ["--register", name, "--pass", password, "--mail", name + "@example.org"])
    code = cli.wait(30)
    check(code == 0, "registered %s (exit %s)" % (name, code))


def make_speech(folder):
    raw = os.path.join(folder, "speech-raw.wav")
    path = os.path.join(folder, "speech.wav")
    subprocess.run(["espeak-ng", "-s", "150", "-w", raw, SPEECH], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["sox", raw, "-r", "44100", "-c", "1", "-b", "16", path], check=True)
    return path


def read_wav(path):
    with wave.open(path, "rb") as w:
        check(w.getsampwidth() == 2, "%s holds 16-bit samples" % os.path.basename(path))
        frames = w.readframes(w.getnframes())
        samples = array.array("h")
        samples.frombytes(frames)
        channels = w.getnchannels()
        if channels > 1:
            samples = array.array("h", (sum(samples[i:i + channels]) // channels
                                        for i in range(0, len(samples), channels)))
        return samples, w.getframerate()


def envelope(samples, rate, frame_seconds=0.01):
    step = max(1, int(rate * frame_seconds))
    out = []
    for start in range(0, len(samples) - step + 1, step):
        total = 0
        for s in samples[start:start + step]:
            total += s * s
        out.append(math.sqrt(total / step))
    return out


def correlation(a, b):
    n = min(len(a), len(b))
    if n < 10:
        return 0.0
    a, b = a[:n], b[:n]
    ma, mb = sum(a) / n, sum(b) / n
    num = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    da = math.sqrt(sum((x - ma) ** 2 for x in a))
    db = math.sqrt(sum((y - mb) ** 2 for y in b))
    return num / (da * db) if da and db else 0.0


def active_span(env, fraction=0.05):
    """First and last frame whose level exceeds a fraction of the loudest."""
    if not env:
        return None
    threshold = max(env) * fraction
    loud = [i for i, v in enumerate(env) if v > threshold]
    return (loud[0], loud[-1]) if loud else None


def best_alignment(original, recorded):
    """The lag (in envelope frames) of the original inside the recording with the highest correlation."""
    best = (-1.0, 0)
    for lag in range(0, max(1, len(recorded) - len(original) // 2)):
        c = correlation(original, recorded[lag:lag + len(original)])
        if c > best[0]:
            best = (c, lag)
    return best


def compare_talk(original_path, recorded_path, label, length_tolerance=0.1):
    original, rate = read_wav(original_path)
    recorded, recorded_rate = read_wav(recorded_path)
    check(recorded_rate == 44100, "%s: the recording is at 44100 Hz" % label)
    a = envelope(original, rate)
    b = envelope(recorded, recorded_rate)
    span = active_span(a)
    a = a[span[0]:span[1] + 1]
    corr, lag = best_alignment(a, b)
    print("  %s: envelope correlation %.3f at %.2f s into the recording" % (label, corr, lag * 0.01), flush=True)
    check(corr > 0.75, "%s: the recording follows the speech (correlation %.3f > 0.75)" % (label, corr))
    window = b[lag:lag + len(a) + 100]
    recorded_span = active_span(window)
    check(recorded_span is not None, "%s: the talk is audible in the recording" % label)
    original_length = len(a) * 0.01
    recorded_length = (recorded_span[1] - recorded_span[0] + 1) * 0.01
    print("  %s: talk length %.2f s sent, %.2f s received" % (label, original_length, recorded_length), flush=True)
    check(abs(recorded_length - original_length) <= length_tolerance,
          "%s: the talk's length matches within %.1f s" % (label, length_tolerance))
    return corr


def case_talk(build, folder):
    server = Server(build, folder)
    server.start()
    try:
        register(build, folder, server, "alice", "secret-one")
        speech = make_speech(folder)
        recording = os.path.join(folder, "heard.wav")
        listener = Cli(build, folder, "guest", server, ["--guest", "--channel", "1000", "--record", recording,
                                                        "--duration", "22"])
        check(listener.wait_for(VOICE_UP), "the guest's voice connection is up")
        talker = Cli(build, folder, "alice", server, ["--user", "alice", "--pass", "secret-one", "--channel", "1000",
                                                      "--talk", speech, "--duration", "14"])
        check(talker.wait_for("talk-granted", timeout=20), "alice was granted the floor")
        check(talker.wait(30) == 0, "alice's client ended cleanly")
        check(listener.wait(30) == 0, "the guest's client ended cleanly")
        compare_talk(speech, recording, "talk")
    finally:
        server.stop()


def case_message(build, folder):
    server = Server(build, folder)
    server.start()
    try:
        register(build, folder, server, "alice", "secret-one")
        register(build, folder, server, "bob", "secret-two")
        bob_id, _ = server.login("bob", "secret-two")
        check(bob_id.isdigit(), "bob's user id is %s" % bob_id)
        bob = Cli(build, folder, "bob", server, ["--user", "bob", "--pass", "secret-two", "--channel", "1000",
                                                 "--duration", "15", "--audio", "null"])
        check(bob.wait_for(VOICE_UP), "bob's voice connection is up")
        alice = Cli(build, folder, "alice", server, ["--user", "alice", "--pass", "secret-one", "--channel", "1000",
                                                     "--message", bob_id + ":Meet at the lake at 5 & bring snacks",
                                                     "--duration", "6", "--audio", "null"])
        check(alice.wait(30) == 0, "alice's client ended cleanly")
        check(bob.wait_for("messages-changed", timeout=15), "bob was told that messages arrived")
        check(bob.wait(30) == 0, "bob's client ended cleanly")
        history = open(os.path.join(bob.cache, "UserMessagesHistory.txt"), encoding="utf-8", errors="replace").read()
        print("  bob's history: " + history.replace("\r\n", " | ").strip(), flush=True)
        check("Meet at the lake at 5 & bring snacks" in history, "the message is in bob's history file")
    finally:
        server.stop()


def case_restart(build, folder):
    server = Server(build, folder)
    server.start()
    try:
        register(build, folder, server, "alice", "secret-one")
        speech = make_speech(folder)
        recording = os.path.join(folder, "heard.wav")
        guest = Cli(build, folder, "guest", server, ["--guest", "--channel", "1000", "--record", recording,
                                                     "--duration", "75"])
        watcher = Cli(build, folder, "watcher", server, ["--guest", "--channel", "1000", "--duration", "75",
                                                         "--audio", "null"])
        check(guest.wait_for(VOICE_UP) and watcher.wait_for(VOICE_UP), "both clients are in the channel")
        server.stop()
        time.sleep(1.0)
        server.start()
        print("  server restarted", flush=True)
        check(guest.wait_for(VOICE_UP, count=2, timeout=45), "the recording guest reconnected by itself")
        check(watcher.wait_for(VOICE_UP, count=2, timeout=45), "the other guest reconnected by itself")
        talk_started = time.time()
        talker = Cli(build, folder, "alice", server, ["--user", "alice", "--pass", "secret-one", "--channel", "1000",
                                                      "--talk", speech, "--duration", "14"])
        check(talker.wait(30) == 0, "alice talked after the restart")
        guest.stop()
        watcher.stop()
        # The recording may end abruptly (the client was stopped), so read what it holds.
        samples, rate = read_wav_lenient(recording)
        heard = envelope(samples, rate)
        check(heard and max(heard) > 1000, "the talk after the restart reached the recording guest")
    finally:
        server.stop()


def read_wav_lenient(path):
    """The samples of a WAV file whose header sizes may not be final."""
    data = open(path, "rb").read()
    at = data.find(b"data")
    samples = array.array("h")
    body = data[at + 8:] if at >= 0 else b""
    samples.frombytes(body[:len(body) // 2 * 2])
    return samples, 44100


def case_listen_only(build, folder):
    server = Server(build, folder)
    server.start()
    try:
        register(build, folder, server, "alice", "secret-one")
        alice_id, session = server.login("alice", "secret-one")
        # alice administers channel 1001 and lets only herself talk (everyone else listens).
        server.post("7/joinChannel.php", [("ch", 1001), ("sid", session), ("ur", "1"), ("ts", 0)])
        taken = server.post("7/AdminChannel.php", [("sessionID", session), ("release", 0)])
        check("<status>OK</status>" in taken, "alice took the administration of 10.01")
        document = ("<administration><Administrated>1</Administrated><ChannelAccessMode>2</ChannelAccessMode>"
                    "<restricted><id>%s</id></restricted></administration>" % alice_id)
        saved = server.post("7/SaveAdmin.php", [("sessionID", session), ("data", document)])
        check("FAIL" not in saved, "the access mode was saved")
        server.post("7/Logout.php", [("sessionID", session)])

        speech = make_speech(folder)
        recording = os.path.join(folder, "heard.wav")
        listener = Cli(build, folder, "alice", server, ["--user", "alice", "--pass", "secret-one", "--channel", "1001",
                                                        "--record", recording, "--duration", "16"])
        check(listener.wait_for(VOICE_UP), "alice listens on 10.01")
        guest = Cli(build, folder, "guest", server, ["--guest", "--channel", "1001", "--talk", speech,
                                                     "--duration", "10"])
        check(guest.wait(30) == 5, "the listen-only guest's client gave up on its talk (exit 5)")
        check(any("may only listen" in line for line in guest.lines()), "and said why")
        check(listener.wait(30) == 0, "alice's client ended cleanly")
        check(not guest.events("talk-acknowledged"), "the listen-only guest's talk was never acknowledged")
        samples, rate = read_wav(recording)
        heard = envelope(samples, rate)
        check(not heard or max(heard) < 300, "nothing the guest said reached alice")
    finally:
        server.stop()


def case_names(build, folder):
    server = Server(build, folder)
    server.start()
    try:
        register(build, folder, server, "alice", "secret-one")
        alice_id, _ = server.login("alice", "secret-one")
        guest = Cli(build, folder, "guest", server, ["--guest", "--channel", "1000", "--duration", "14",
                                                     "--audio", "null"])
        check(guest.wait_for(VOICE_UP), "the guest is in the channel")
        alice = Cli(build, folder, "alice", server, ["--user", "alice", "--pass", "secret-one", "--channel", "1000",
                                                     "--duration", "8", "--audio", "null"])
        check(alice.wait(30) == 0, "alice's client ended cleanly")
        check(guest.wait(30) == 0, "the guest's client ended cleanly")
        guest_users = open(os.path.join(guest.cache, "UsersList.txt"), errors="replace").read()
        alice_users = open(os.path.join(alice.cache, "UsersList.txt"), errors="replace").read()
        check("<id>%s</id>" % alice_id in guest_users and "<name>alice</name>" in guest_users,
              "the guest knows alice by name")
        check("<name>Guest</name>" in alice_users, "alice knows the guest as Guest")
    finally:
        server.stop()


def case_floor(build, folder):
    server = Server(build, folder)
    server.start()
    try:
        register(build, folder, server, "alice", "secret-one")
        speech = make_speech(folder)
        alice = Cli(build, folder, "alice", server, ["--user", "alice", "--pass", "secret-one", "--channel", "1000",
                                                     "--talk", speech, "--duration", "20"])
        check(alice.wait_for("talk-acknowledged", timeout=20), "alice holds the floor")
        # Two guests want to talk while alice does: one waits as long as it takes, one gives up.
        patient = Cli(build, folder, "patient", server, ["--guest", "--channel", "1000", "--talk", speech])
        hasty = Cli(build, folder, "hasty", server, ["--guest", "--channel", "1000", "--talk", speech,
                                                     "--duration", "3"])
        check(hasty.wait(30) == 5, "the guest whose duration ran out first gave up (exit 5)")
        check(any("floor was never free" in line for line in hasty.lines()), "and said why")
        check(not hasty.events("talk-file-started"), "it never talked over alice")
        check(patient.wait(60) == 0, "the patient guest talked once the floor was free")
        check(patient.events("talk-acknowledged"), "its talk was acknowledged")
        check(alice.wait(40) == 0, "alice's client ended cleanly")
    finally:
        server.stop()


def case_echo(build, folder):
    server = Server(build, folder)
    server.start()
    try:
        register(build, folder, server, "alice", "secret-one")
        speech = make_speech(folder)
        bot = Cli(build, folder, "echo", server, ["--guest", "--channel", "1000", "--echo", "--duration", "40"])
        check(bot.wait_for(VOICE_UP), "the echo bot is on 10.00")
        recording = os.path.join(folder, "echo.wav")
        alice = Cli(build, folder, "alice", server, ["--user", "alice", "--pass", "secret-one", "--channel", "1000",
                                                     "--talk", speech, "--record", recording, "--duration", "24"])
        check(alice.wait(40) == 0, "alice's client ended cleanly")
        check(bot.wait_for("echo-heard", timeout=5), "the bot heard alice's talk")
        check(bot.events("talk-acknowledged"), "and talked it back")
        # The echo went through the codec twice: its quiet edges may show a little more.
        compare_talk(speech, recording, "echo", length_tolerance=0.5)
        bot.stop()
    finally:
        server.stop()


VOICE_UP = "voice-connected"

CASES = {"talk": case_talk, "message": case_message, "restart": case_restart, "listen-only": case_listen_only,
         "names": case_names, "floor": case_floor,
         "echo": case_echo}


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in CASES:
        print(__doc__)
        return 2
    build = os.path.abspath(sys.argv[1])
    folder = tempfile.mkdtemp(prefix="zumeli-e2e-")
    try:
        CASES[sys.argv[2]](build, folder)
        print("1 passed, 0 failed")
    except SystemExit as stop:
        print("0 passed, 1 failed (logs in %s)" % folder)
        raise
    else:
        shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
