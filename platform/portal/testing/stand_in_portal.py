#!/usr/bin/env python3
"""A stand-in for the XDG desktop portal on a private session bus, for tests.

Usage: stand_in_portal.py LOG ANSWERS
LOG: a file that gets one JSON line per call received.
ANSWERS: a JSON list, one answer per FileChooser.OpenFile call, in order:
  {"uri": "file:///...", "filter": N}  answered with that URI (and the Nth filter offered
                                      as the current one, when "filter" is given)
  "cancel"                            the user closed the dialog
  "silent"                            the call is never answered
OpenURI.OpenFile and OpenURI.OpenDirectory are answered at once and logged with the path of
the descriptor they were given. Like the real portal, it sends the Response signal to the
caller's request path; here it does so before the method's reply, so a caller that
subscribes only after the reply misses it.
"""
import json
import os
import sys

import dbus
import dbus.lowlevel
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.portal.Desktop"
PATH = "/org/freedesktop/portal/desktop"


def plain(value):
    """The D-Bus value as plain JSON-friendly Python."""
    if isinstance(value, dbus.Array) and value.signature == "y":
        return bytes(value).rstrip(b"\0").decode("utf-8", "replace")
    if isinstance(value, (dbus.Array, dbus.Struct, list, tuple)):
        return [plain(item) for item in value]
    if isinstance(value, dbus.Dictionary):
        return {str(key): plain(item) for key, item in value.items()}
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (dbus.Byte, dbus.Int32, dbus.UInt32, dbus.Int64, dbus.UInt64)):
        return int(value)
    return str(value)


def request_path(sender, token):
    return "%s/request/%s/%s" % (PATH, sender[1:].replace(".", "_"), token)


class Opener(dbus.service.Object):
    """OpenURI; its OpenFile shares its name with FileChooser's, so it lives in a base class
    (dbus-python finds methods by name along the class hierarchy)."""

    def opened(self, member, descriptor, parent, options, sender):
        fd = descriptor.take()
        path = os.readlink("/proc/self/fd/%d" % fd)
        os.close(fd)
        self.log({"call": "OpenURI." + member, "parent": str(parent), "path": path})
        return dbus.ObjectPath(request_path(sender, str(options.get("handle_token", "t"))))

    @dbus.service.method("org.freedesktop.portal.OpenURI", in_signature="sha{sv}",
                         out_signature="o", sender_keyword="sender")
    def OpenFile(self, parent, descriptor, options, sender=None):
        return self.opened("OpenFile", descriptor, parent, options, sender)

    @dbus.service.method("org.freedesktop.portal.OpenURI", in_signature="sha{sv}",
                         out_signature="o", sender_keyword="sender")
    def OpenDirectory(self, parent, descriptor, options, sender=None):
        return self.opened("OpenDirectory", descriptor, parent, options, sender)


class Portal(Opener):
    def __init__(self, bus, log, answers):
        super().__init__(bus, PATH)
        self.bus = bus
        self.log_file = open(log, "a", encoding="utf-8")
        self.answers = answers
        self.silent = []  # replies never sent, kept so that they are not sent on collection

    def log(self, entry):
        self.log_file.write(json.dumps(entry) + "\n")
        self.log_file.flush()

    @dbus.service.method("org.freedesktop.portal.FileChooser", in_signature="ssa{sv}",
                         out_signature="o", sender_keyword="sender",
                         async_callbacks=("reply", "error"))
    def OpenFile(self, parent, title, options, sender=None, reply=None, error=None):
        self.log({"call": "FileChooser.OpenFile", "parent": str(parent), "title": str(title),
                  "options": plain(options)})
        answer = self.answers.pop(0) if self.answers else "cancel"
        if answer == "silent":
            self.silent.append((reply, error))
            return
        handle = request_path(sender, str(options.get("handle_token", "t")))
        self.respond(sender, handle, answer, options)
        reply(dbus.ObjectPath(handle))

    def respond(self, sender, handle, answer, options):
        results = dbus.Dictionary({}, signature="sv")
        code = 1
        if isinstance(answer, dict):
            code = 0
            results["uris"] = dbus.Array([answer["uri"]], signature="s")
            if "filter" in answer:
                results["current_filter"] = options["filters"][answer["filter"]]
        signal = dbus.lowlevel.SignalMessage(handle, "org.freedesktop.portal.Request",
                                             "Response")
        signal.set_destination(sender)
        signal.append(dbus.UInt32(code), results, signature="ua{sv}")
        self.bus.send_message(signal)


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    portal = Portal(bus, sys.argv[1], json.loads(sys.argv[2]))
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)
    GLib.MainLoop().run()
    del portal, name


if __name__ == "__main__":
    main()
