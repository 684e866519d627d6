"""The program as one of the desktop's own: a call that rings in while the
window is out of sight shows a desktop notification, and a connected call
keeps the session from idling. A private session bus carries stand-ins for
the notification service and the screen saver."""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

from harness import Copy, free_udp_port, wait_until
from xserver import XServer

A_ADDRESS = "127.1.0.1"
B_ADDRESS = "127.1.0.2"
HERE = os.path.dirname(os.path.abspath(__file__))


def have_python_dbus():
    try:
        import dbus  # noqa: F401
        from gi.repository import GLib  # noqa: F401
        return True
    except ImportError:
        return False


class SessionBus:
    """A private D-Bus session bus with the stand-in services on it."""

    def __init__(self, log):
        self.log = log
        self.daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.address = self.daemon.stdout.readline().strip()
        self.services = subprocess.Popen([sys.executable, os.path.join(HERE, "desktop_services.py"), log],
                                         env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=self.address))
        if not wait_until(lambda: any(e["call"] == "ready" for e in self.calls()), timeout=10):
            self.stop()
            raise RuntimeError("the stand-in services did not start")

    def calls(self, name=None):
        try:
            with open(self.log, encoding="utf-8") as f:
                entries = [json.loads(line) for line in f if line.strip()]
        except FileNotFoundError:
            return []
        return [e for e in entries if name is None or e["call"] == name]

    def stop(self):
        for p in (self.services, self.daemon):
            if p.poll() is None:
                p.terminate()
                p.wait(timeout=5)
        self.daemon.stdout.close()


@unittest.skipUnless(shutil.which("Xvfb") and shutil.which("dbus-daemon") and have_python_dbus(),
                     "needs Xvfb, dbus-daemon and python3-dbus")
class DesktopTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.TemporaryDirectory(prefix="ondrel-desktop-")
        self.addCleanup(self.root.cleanup)
        self.x = XServer().start()
        self.addCleanup(self.x.stop)
        self.bus = SessionBus(os.path.join(self.root.name, "bus.log"))
        self.addCleanup(self.bus.stop)
        port = free_udp_port(A_ADDRESS, B_ADDRESS)
        self.a = Copy(self.root.name, "a", A_ADDRESS)
        self.b = Copy(self.root.name, "b", B_ADDRESS)
        for copy in (self.a, self.b):
            self.addCleanup(copy.stop, signal.SIGKILL)
        # Alice starts out of sight and answers by herself.
        self.a.write_conf(["netPort = %d" % port, "StartingTray = 1", "AlwaysAnswer = 1", "userName = Alice"],
                          ["%s Bob" % B_ADDRESS])
        self.b.write_conf(["netPort = %d" % port, "userName = Bob"], ["%s Alice" % A_ADDRESS])
        self.a.extra_env = dict(self.x.env(), DBUS_SESSION_BUS_ADDRESS=self.bus.address)
        self.b.extra_env = {"DBUS_SESSION_BUS_ADDRESS": "unix:path=/nonexistent"}
        self.a.start()
        self.b.start()
        self.x.wait_window(self.a.process.pid, "Ondrel")
        # No tray host on this server: out of sight is minimised.
        self.assertTrue(wait_until(lambda: self.a.window_state() == "minimised", timeout=10), self.a.status())
        self.assertTrue(wait_until(lambda: self.b.client(A_ADDRESS) == (True, False), timeout=15), self.b.status())

    def test_a_call_out_of_sight_is_notified_and_keeps_the_session_awake_while_connected(self):
        self.assertEqual(self.b.command(2, A_ADDRESS).returncode, 0)
        self.assertTrue(wait_until(lambda: self.bus.calls("Notify"), timeout=10), self.bus.calls())
        notice = self.bus.calls("Notify")[0]
        self.assertEqual(notice["summary"], "Incoming call")
        self.assertIn(notice["body"], ("Bob", B_ADDRESS))
        self.assertEqual(notice["entry"], "org.ondrel.Ondrel")
        self.assertEqual(notice["urgency"], 2)

        self.assertTrue(wait_until(lambda: self.bus.calls("Inhibit"), timeout=10), self.bus.calls())
        cookie = self.bus.calls("Inhibit")[0]["cookie"]
        self.assertEqual(self.b.command(3).returncode, 0)
        self.assertTrue(wait_until(lambda: self.bus.calls("UnInhibit"), timeout=10), self.bus.calls())
        self.assertEqual(self.bus.calls("UnInhibit")[0]["cookie"], cookie)
        # One call, one notice and one inhibition.
        self.assertEqual(len(self.bus.calls("Notify")), 1)
        self.assertEqual(len(self.bus.calls("Inhibit")), 1)


if __name__ == "__main__":
    unittest.main()
