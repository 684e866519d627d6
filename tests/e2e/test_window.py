"""The main window as a person meets it: a real X server, real pointer and
key events, and a second copy of the program to call."""
import shutil
import signal
import tempfile
import time
import unittest

from harness import Copy, free_udp_port, udp_port_free, wait_until
from xserver import XServer

A_ADDRESS = "127.1.0.1"
B_ADDRESS = "127.1.0.2"
CONNECTED = 9027


@unittest.skipUnless(shutil.which("Xvfb") and shutil.which("xdotool"), "needs Xvfb and xdotool")
class WindowTest(unittest.TestCase):
    def setUp(self):
        self.x = XServer().start()
        self.addCleanup(self.x.stop)
        self.root = tempfile.TemporaryDirectory(prefix="ondrel-window-")
        self.addCleanup(self.root.cleanup)
        port = free_udp_port(A_ADDRESS, B_ADDRESS)
        self.a = Copy(self.root.name, "a", A_ADDRESS)
        self.b = Copy(self.root.name, "b", B_ADDRESS)
        for copy in (self.a, self.b):
            self.addCleanup(copy.stop, signal.SIGKILL)
        self.a.write_conf(["netPort = %d" % port, "DlgX = 40", "DlgY = 30", "userName = Alice"],
                          ["%s Bob desk" % B_ADDRESS])
        self.b.write_conf(["netPort = %d" % port, "AlwaysAnswer = 1", "userName = Bobby"],
                          ["%s Alice" % A_ADDRESS])
        self.a.extra_env = self.x.env()
        self.a.start()
        self.b.start()
        self.window = self.x.wait_window(self.a.process.pid, "Ondrel")
        self.assertTrue(wait_until(lambda: self.a.client(B_ADDRESS) == (True, False), timeout=15),
                        self.a.status())

    def test_a_right_click_opens_the_context_menu_and_escape_closes_it(self):
        self.assertEqual(self.x.geometry(self.window), (40, 30, 293, 163))
        before = len(self.x.windows(self.a.process.pid))
        self.x.click(self.window, 30, 5, button=3)  # the title strip
        self.assertTrue(wait_until(lambda: len(self.x.windows(self.a.process.pid)) > before, timeout=5),
                        "no menu appeared")
        self.x.key(self.window, "Escape")
        self.assertTrue(wait_until(lambda: len(self.x.windows(self.a.process.pid)) == before, timeout=5))

    def assert_close_zone_click_sends_to_tray(self, button):
        self.assertTrue(wait_until(lambda: self.a.window_state() == "shown", timeout=5), self.a.status())
        before = len(self.x.windows(self.a.process.pid))
        self.x.click(self.window, 262, 5, button=button)  # the close zone: 250 to 274 of 293
        self.assertTrue(wait_until(lambda: self.a.window_state() in ("hidden", "minimised"), timeout=5),
                        self.a.status())
        # No menu came up on the way.
        self.assertLessEqual(len(self.x.windows(self.a.process.pid)), before)

    def test_a_right_click_in_the_close_zone_sends_the_window_to_the_tray(self):
        self.assert_close_zone_click_sends_to_tray(3)

    def test_a_middle_click_in_the_close_zone_sends_the_window_to_the_tray(self):
        self.assert_close_zone_click_sends_to_tray(2)

    def connected_line(self, copy):
        """The number of copy's connected line, or None."""
        for n in (1, 2):
            if (copy.line(n) or (0,))[0] == CONNECTED:
                return n
        return None

    def test_enter_on_the_selected_client_calls_it_and_its_line_page_comes_to_the_front(self):
        self.x.key(self.window, "Return")
        self.assertTrue(wait_until(lambda: self.connected_line(self.a) and self.connected_line(self.b), timeout=10),
                        self.a.status() + self.b.status())
        line = self.connected_line(self.a)
        # The line's page is in front (its line is the current one) and names the call's sound type.
        self.assertTrue(wait_until(lambda: "current %d" % line in self.a.status()), self.a.status())
        self.assertTrue(wait_until(lambda: self.a.page_sound_type(line) == "GSM 8 kHz mono"), self.a.status())

    def wait_gone(self, window):
        return wait_until(lambda: window not in self.x.windows(self.a.process.pid), timeout=5)

    def test_insert_opens_the_client_dialog_and_enter_adds_what_was_typed(self):
        self.x.key(self.window, "Insert")
        dialog = self.x.wait_window(self.a.process.pid, "Client")
        self.x.xdotool("type", "--delay", "20", "10.0.0.7")
        self.x.key(dialog, "Tab", "Tab")  # past Clear to the name
        self.x.xdotool("type", "--delay", "20", "  Lab PC ")
        self.x.key(dialog, "Return")
        self.assertTrue(wait_until(lambda: self.a.client("10.0.0.7") is not None, timeout=5), self.a.status())
        self.assertTrue(wait_until(lambda: "=10.0.0.7 Lab PC\n" in self.a.read_conf(), timeout=5),
                        self.a.read_conf())
        self.x.key(dialog, "Escape")
        self.assertTrue(self.wait_gone(dialog))

    def test_ctrl_p_opens_the_properties_and_ok_switches_the_sound_type(self):
        self.assertEqual(self.a.sound_type(), 9050)
        self.x.key(self.window, "ctrl+p")
        dialog = self.x.wait_window(self.a.process.pid, "Properties")
        time.sleep(0.3)
        # To the Sound page, then back from Cancel past the three call-quality
        # boxes and the buffer to the sound type, one down the list (G.711), and OK.
        self.x.key(dialog, "ctrl+Tab", *["shift+Tab"] * 5, "Down", "alt+o")
        self.assertTrue(wait_until(lambda: self.a.sound_type() == 9064, timeout=5), self.a.status())
        self.assertTrue(self.wait_gone(dialog))
        self.assertTrue(wait_until(lambda: "SndType = 9064" in self.a.read_conf(), timeout=5))

    def test_a_new_port_is_announced_stored_and_taken_at_the_next_start(self):
        self.x.click(self.window, 91, 9)  # the sliver of a button in the title strip
        dialog = self.x.wait_window(self.a.process.pid, "Properties")
        time.sleep(0.3)
        port = free_udp_port(A_ADDRESS)
        self.x.key(dialog, *["shift+Tab"] * 3)  # back from Cancel to the port field
        self.x.key(dialog, "ctrl+a")
        self.x.xdotool("type", "--delay", "20", str(port))
        self.x.key(dialog, "alt+o")
        box = self.x.wait_window(self.a.process.pid, "Ondrel Info")
        self.x.key(box, "Return")
        self.assertEqual(self.a.wait_exit(), 0)
        self.assertIn("netPort = %d" % port, self.a.read_conf())
        self.a.start()
        self.x.wait_window(self.a.process.pid, "Ondrel")
        self.assertTrue(wait_until(lambda: not udp_port_free(A_ADDRESS, port), timeout=5))

    def test_the_port_erased_with_backspace_takes_the_new_port_typed(self):
        self.x.key(self.window, "ctrl+p")
        dialog = self.x.wait_window(self.a.process.pid, "Properties")
        time.sleep(0.3)
        self.x.key(dialog, *["shift+Tab"] * 3)  # back from Cancel to the port field
        self.x.key(dialog, "End", *["BackSpace"] * 6)
        self.x.xdotool("type", "--delay", "20", "5000")
        self.x.key(dialog, "alt+o")
        box = self.x.wait_window(self.a.process.pid, "Ondrel Info")
        self.x.key(box, "Return")
        self.assertEqual(self.a.wait_exit(), 0)
        self.assertIn("netPort = 5000\n", self.a.read_conf())

    def test_ctrl_q_quits_in_order_and_the_settings_are_saved(self):
        self.x.key(self.window, "F5")  # the system key, stored at quitting
        self.x.key(self.window, "ctrl+q")
        self.assertEqual(self.a.wait_exit(), 0)
        conf = self.a.read_conf()
        self.assertIn("lowKeySpace = 1", conf)
        self.assertIn("DlgX = 40", conf)
        # B heard the goodbye.
        self.assertTrue(wait_until(lambda: self.b.client(A_ADDRESS) == (False, False), timeout=5),
                        self.b.status())


if __name__ == "__main__":
    unittest.main()
