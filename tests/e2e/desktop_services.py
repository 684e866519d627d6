"""Stand-ins for the desktop's notification service and screen saver on a
private session bus. Every call is appended to a log file as one JSON line;
"ready" is written once both names are owned.

    python3 desktop_services.py LOG     (DBUS_SESSION_BUS_ADDRESS names the bus)
"""
import json
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NOTIFICATIONS = "org.freedesktop.Notifications"
SCREEN_SAVER = "org.freedesktop.ScreenSaver"


class Log:
    def __init__(self, path):
        self.path = path

    def write(self, **entry):
        with open(self.path, "a", encoding="utf-8") as f:
            f.write(json.dumps(entry) + "\n")


class Notifications(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.log = log
        self.last_id = 0

    @dbus.service.method(NOTIFICATIONS, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        self.last_id += 1
        self.log.write(call="Notify", app=str(app), icon=str(icon), summary=str(summary), body=str(body),
                       urgency=int(hints.get("urgency", -1)), entry=str(hints.get("desktop-entry", "")))
        return self.last_id

    @dbus.service.method(NOTIFICATIONS, out_signature="as")
    def GetCapabilities(self):
        return ["body"]

    @dbus.service.method(NOTIFICATIONS, out_signature="ssss")
    def GetServerInformation(self):
        return ("stand-in", "ondrel tests", "1", "1.2")


class ScreenSaver(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/org/freedesktop/ScreenSaver")
        self.log = log
        self.next_cookie = 41

    @dbus.service.method(SCREEN_SAVER, in_signature="ss", out_signature="u")
    def Inhibit(self, app, reason):
        self.next_cookie += 1
        self.log.write(call="Inhibit", app=str(app), reason=str(reason), cookie=self.next_cookie)
        return self.next_cookie

    @dbus.service.method(SCREEN_SAVER, in_signature="u")
    def UnInhibit(self, cookie):
        self.log.write(call="UnInhibit", cookie=int(cookie))


def main(path):
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    log = Log(path)
    names = [dbus.service.BusName(NOTIFICATIONS, bus), dbus.service.BusName(SCREEN_SAVER, bus)]
    services = [Notifications(bus, log), ScreenSaver(bus, log)]
    log.write(call="ready")
    GLib.MainLoop().run()
    del names, services


if __name__ == "__main__":
    main(sys.argv[1])
