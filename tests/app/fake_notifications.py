#!/usr/bin/env python3
"""A stand-in desktop notification server for the end-to-end tests: it owns
org.freedesktop.Notifications on the session bus, writes one line per notification
("ID<TAB>SUMMARY<TAB>BODY") to LOG, and clicks notification ID (the "default" action) when a line
with that number is appended to CLICKS.

Usage: fake_notifications.py LOG CLICKS
"""

import os
import sys

from gi.repository import Gio, GLib

INTERFACE = """
<node>
  <interface name="org.freedesktop.Notifications">
    <method name="GetCapabilities"><arg type="as" direction="out"/></method>
    <method name="Notify">
      <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
      <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
      <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/><arg type="u" direction="out"/>
    </method>
    <method name="CloseNotification"><arg type="u" direction="in"/></method>
    <method name="GetServerInformation">
      <arg type="s" direction="out"/><arg type="s" direction="out"/><arg type="s" direction="out"/>
      <arg type="s" direction="out"/>
    </method>
    <signal name="ActionInvoked"><arg type="u"/><arg type="s"/></signal>
    <signal name="NotificationClosed"><arg type="u"/><arg type="u"/></signal>
  </interface>
</node>
"""


def main():
    log_path, clicks_path = sys.argv[1], sys.argv[2]
    state = {"next": 1, "connection": None, "clicked": 0}

    def call(connection, sender, path, interface, method, parameters, invocation):
        if method == "GetCapabilities":
            invocation.return_value(GLib.Variant("(as)", (["actions", "body"],)))
        elif method == "GetServerInformation":
            invocation.return_value(GLib.Variant("(ssss)", ("fake", "zumeli-tests", "1", "1.2")))
        elif method == "CloseNotification":
            invocation.return_value(None)
        elif method == "Notify":
            _app, _replaces, _icon, summary, body, _actions, _hints, _timeout = parameters.unpack()
            number = state["next"]
            state["next"] += 1
            with open(log_path, "a") as log:
                log.write("%d\t%s\t%s\n" % (number, summary, body))
            invocation.return_value(GLib.Variant("(u)", (number,)))

    def poll_clicks():
        if os.path.exists(clicks_path):
            lines = open(clicks_path).read().split()
            for number in lines[state["clicked"]:]:
                state["connection"].emit_signal(None, "/org/freedesktop/Notifications",
                                                "org.freedesktop.Notifications", "ActionInvoked",
                                                GLib.Variant("(us)", (int(number), "default")))
            state["clicked"] = len(lines)
        return True

    node = Gio.DBusNodeInfo.new_for_xml(INTERFACE)

    def acquired(connection, _name):
        state["connection"] = connection
        connection.register_object("/org/freedesktop/Notifications", node.interfaces[0], call, None, None)

    def named(_connection, _name):
        with open(log_path, "a"):
            pass  # the log exists once the name is ours

    Gio.bus_own_name(Gio.BusType.SESSION, "org.freedesktop.Notifications", Gio.BusNameOwnerFlags.NONE,
                     acquired, named, None)
    GLib.timeout_add(100, poll_clicks)
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
