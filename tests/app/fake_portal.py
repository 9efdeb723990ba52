#!/usr/bin/python3
"""A stand-in for the desktop portal's global shortcuts, on a private session bus, for tests.

Usage: dbus-run-session -- python3 fake_portal.py COMMAND [ARGUMENTS...]

Owns org.freedesktop.portal.Desktop and serves at /org/freedesktop/portal/desktop what a Wayland
desktop's portal serves for global shortcuts: the interface org.freedesktop.portal.GlobalShortcuts
(property version, CreateSession and BindShortcuts answered by the Response signal of a request
object, the signals Activated and Deactivated) and org.freedesktop.portal.Session.Close. Then it
runs COMMAND with ZUMELI_FAKE_PORTAL=1 in its environment and exits with COMMAND's exit code
(killing it after 200 s).

The test drives the fake through org.zumeli.test.FakePortal on the same object:
  SetMode(s)  "bind" (default): shortcuts are bound as asked; "refuse": the user dismisses the
              binding (response 1); "absent": the portal has no global shortcuts at all.
  Press()     Activated for every bound "talk" shortcut; Release(): Deactivated.
  Bound() -> as  the shortcuts bound so far, "id=preferred trigger", and "closed" entries for
              the sessions closed.
"""

import os
import subprocess
import sys
import time

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PORTAL = "org.freedesktop.portal.Desktop"
PATH = "/org/freedesktop/portal/desktop"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"
REQUEST = "org.freedesktop.portal.Request"
SESSION = "org.freedesktop.portal.Session"
TEST = "org.zumeli.test.FakePortal"


def sender_part(sender):
    return sender[1:].replace(".", "_")


class Request(dbus.service.Object):
    """One request: answers with its Response once the method's own reply has gone out."""

    def __init__(self, bus, path, response, results):
        super().__init__(bus, path)
        GLib.idle_add(self.answer, response, results)

    def answer(self, response, results):
        self.Response(dbus.UInt32(response), results)
        self.remove_from_connection()
        return False

    @dbus.service.signal(REQUEST, signature="ua{sv}")
    def Response(self, response, results):
        pass


class Session(dbus.service.Object):
    def __init__(self, bus, path, portal):
        super().__init__(bus, path)
        self.portal = portal
        self.path = path

    @dbus.service.method(SESSION, in_signature="", out_signature="")
    def Close(self):
        self.portal.closed(self.path)
        self.remove_from_connection()


class Portal(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.bus = bus
        self.mode = "bind"
        self.sessions = {}  # session path -> shortcut ids bound
        self.log = []

    # ----- the portal -----

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == SHORTCUTS and name == "version" and self.mode != "absent":
            return dbus.UInt32(1)
        raise dbus.exceptions.DBusException("no such property", name="org.freedesktop.DBus.Error.InvalidArgs")

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender=None):
        if self.mode == "absent":
            raise dbus.exceptions.DBusException("unknown method", name="org.freedesktop.DBus.Error.UnknownMethod")
        session = "%s/session/%s/%s" % (PATH, sender_part(sender), options["session_handle_token"])
        Session(self.bus, session, self)
        self.sessions[session] = []
        request = "%s/request/%s/%s" % (PATH, sender_part(sender), options["handle_token"])
        Request(self.bus, request, 0, dbus.Dictionary({"session_handle": dbus.String(session)}, signature="sv"))
        return dbus.ObjectPath(request)

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o", sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent_window, options, sender=None):
        request = "%s/request/%s/%s" % (PATH, sender_part(sender), options["handle_token"])
        if self.mode == "refuse" or session not in self.sessions:
            Request(self.bus, request, 1, dbus.Dictionary({}, signature="sv"))
            return dbus.ObjectPath(request)
        bound = []
        for shortcut_id, properties in shortcuts:
            trigger = str(properties.get("preferred_trigger", ""))
            self.sessions[session].append(str(shortcut_id))
            self.log.append("%s=%s" % (shortcut_id, trigger))
            bound.append(dbus.Struct((shortcut_id, dbus.Dictionary(
                {"description": properties.get("description", ""),
                 "trigger_description": dbus.String(trigger)}, signature="sv"))))
        Request(self.bus, request, 0, dbus.Dictionary(
            {"shortcuts": dbus.Array(bound, signature="(sa{sv})")}, signature="sv"))
        return dbus.ObjectPath(request)

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session, shortcut_id, timestamp, options):
        pass

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Deactivated(self, session, shortcut_id, timestamp, options):
        pass

    def closed(self, session):
        self.sessions.pop(session, None)
        self.log.append("closed")

    # ----- the test's controls -----

    @dbus.service.method(TEST, in_signature="s", out_signature="")
    def SetMode(self, mode):
        self.mode = str(mode)

    @dbus.service.method(TEST, in_signature="", out_signature="")
    def Press(self):
        self.emit(self.Activated)

    @dbus.service.method(TEST, in_signature="", out_signature="")
    def Release(self):
        self.emit(self.Deactivated)

    @dbus.service.method(TEST, in_signature="", out_signature="as")
    def Bound(self):
        return dbus.Array(self.log, signature="s")

    def emit(self, signal):
        stamp = dbus.UInt64(int(time.monotonic() * 1000))
        for session, ids in self.sessions.items():
            if "talk" in ids:
                signal(dbus.ObjectPath(session), "talk", stamp, dbus.Dictionary({}, signature="sv"))


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(PORTAL, bus, do_not_queue=True)  # noqa: F841 (kept while we run)
    Portal(bus)
    loop = GLib.MainLoop()
    child = subprocess.Popen(sys.argv[1:], env=dict(os.environ, ZUMELI_FAKE_PORTAL="1"))
    result = {"code": 1}

    def ended(pid, status):
        result["code"] = os.waitstatus_to_exitcode(status)
        loop.quit()

    def too_long():
        print("fake_portal: the command ran over 200 s; killed", flush=True)
        child.kill()
        return False

    GLib.child_watch_add(GLib.PRIORITY_DEFAULT, child.pid, ended)
    GLib.timeout_add_seconds(200, too_long)
    loop.run()
    return result["code"]


if __name__ == "__main__":
    sys.exit(main())
