#!/usr/bin/env python3
"""A stand-in for RealtimeKit on a private bus, for tests. Like the real kit it refuses a
process whose RLIMIT_RTTIME is unset or above its limit, a thread of another process and a
priority above its highest, and it gives what it grants as the real kit does: SCHED_RR,
reset on fork. Like the real kit it must run as root.

Usage: stand_in_realtime_kit.py ADDRESS LOG
ADDRESS: the bus to serve on. LOG: a file that gets one JSON line per request.
"""
import json
import os
import sys

import dbus
import dbus.bus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.RealtimeKit1"
PATH = "/org/freedesktop/RealtimeKit1"
# The real kit's defaults.
HIGHEST_PRIORITY = 20
RTTIME_USEC_MAX = 200000


def realtime_run_limit(pid):
    """The process's soft RLIMIT_RTTIME in microseconds, or None when it has none."""
    with open("/proc/%d/limits" % pid) as limits:
        for line in limits:
            if line.startswith("Max realtime timeout"):
                soft = line[len("Max realtime timeout"):].split()[0]
                return None if soft == "unlimited" else int(soft)
    return None


class Kit(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, PATH)
        self.bus = bus
        self.log = log

    @dbus.service.method(NAME, in_signature="tu", sender_keyword="sender")
    def MakeThreadRealtime(self, thread, priority, sender):
        pid = int(self.bus.call_blocking(
            "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "GetConnectionUnixProcessID", "s", [sender]))
        limit = realtime_run_limit(pid)
        refusal = None
        if limit is None or limit > RTTIME_USEC_MAX:
            refusal = "RLIMIT_RTTIME is not set to at most %d us" % RTTIME_USEC_MAX
        elif not os.path.isdir("/proc/%d/task/%d" % (pid, thread)):
            refusal = "the thread is not the caller's"
        elif not 1 <= priority <= HIGHEST_PRIORITY:
            refusal = "the priority is out of range"
        with open(self.log, "a") as log:
            log.write(json.dumps({"pid": pid, "thread": int(thread), "priority": int(priority),
                                  "rttime": limit, "refusal": refusal}) + "\n")
        if refusal:
            raise dbus.exceptions.DBusException(
                refusal, name="org.freedesktop.DBus.Error.AccessDenied")
        os.sched_setscheduler(int(thread), os.SCHED_RR | os.SCHED_RESET_ON_FORK,
                              os.sched_param(int(priority)))

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss",
                         out_signature="v")
    def Get(self, interface, name):
        values = {"MaxRealtimePriority": dbus.Int32(HIGHEST_PRIORITY),
                  "RTTimeUSecMax": dbus.Int64(RTTIME_USEC_MAX),
                  "MinNiceLevel": dbus.Int32(-15)}
        if interface != NAME or name not in values:
            raise dbus.exceptions.DBusException(
                name, name="org.freedesktop.DBus.Error.UnknownProperty")
        return values[name]


def main():
    address, log = sys.argv[1:3]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(address)
    Kit(bus, log)
    name = dbus.service.BusName(NAME, bus)  # owned last: the kit is ready when it is owned
    GLib.MainLoop().run()
    del name


if __name__ == "__main__":
    main()
