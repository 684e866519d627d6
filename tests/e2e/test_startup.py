"""Start-up, single instance, settings written back, orderly quit."""
import os
import re
import signal
import socket
import tempfile
import time
import unittest

from harness import Copy, free_udp_port, udp_port_free, wait_until

ADDRESS = "127.1.0.1"


class StartupTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.TemporaryDirectory(prefix="ondrel-e2e-")
        self.addCleanup(self.root.cleanup)
        self.port = free_udp_port(ADDRESS)
        self.copy = Copy(self.root.name, "a", ADDRESS)
        self.addCleanup(self.copy.stop, signal.SIGKILL)

    def start_and_wait_bound(self, copy, port):
        copy.start()
        self.assertTrue(wait_until(lambda: not udp_port_free(copy.bind, port) or not copy.running()),
                        "the program never bound its port")
        self.assertTrue(copy.running(), "the program ended at start")

    def test_runs_once_per_config_dir_and_saves_on_terminate(self):
        self.copy.write_conf(["netPort = %d" % self.port])
        self.start_and_wait_bound(self.copy, self.port)

        started = time.monotonic()
        second = self.copy.run()
        self.assertEqual(second.returncode, 0)
        self.assertLess(time.monotonic() - started, 1.0)
        self.assertEqual(second.stderr.strip(), "")
        self.assertTrue(self.copy.running())

        self.assertEqual(self.copy.stop(signal.SIGTERM), 0)
        conf = self.copy.read_conf()
        params = conf.split("[contacts]")[0]
        self.assertRegex(params, r"(?m)^\d+=netPort = %d$" % self.port)
        self.assertRegex(params, r"(?m)^\d+=SndType = 9050$")
        self.assertTrue(udp_port_free(ADDRESS, self.port))

    def test_interrupt_quits_in_order_too(self):
        self.copy.write_conf(["netPort = %d" % self.port, "userName = Ann"])
        self.start_and_wait_bound(self.copy, self.port)
        self.assertEqual(self.copy.stop(signal.SIGINT), 0)
        self.assertIn("userName = Ann", self.copy.read_conf())

    def test_port_out_of_range_becomes_4444(self):
        copy = Copy(self.root.name, "b", "127.1.0.3")
        self.addCleanup(copy.stop, signal.SIGKILL)
        copy.write_conf(["netPort = 70000"])
        self.start_and_wait_bound(copy, 4444)
        self.assertEqual(copy.stop(), 0)
        self.assertRegex(copy.read_conf(), r"(?m)^\d+=netPort = 4444$")

    def test_hand_written_file_comes_back_unchanged(self):
        text = ("[params2]\n"
                "0=AutoStartFile = /opt/my apps/start, now = yes, \"quoted\"\n"
                "1=SndType = 9050\n"
                "2=netPort = %d\n"
                "3=userName =  two  blanks\n"
                "[contacts]\n"
                "0=10.0.0.7 Office PC\n" % self.port)
        text += "".join("%d=\n" % n for n in range(1, 200))
        with open(self.copy.conf_path, "w", encoding="utf-8") as f:
            f.write(text)
        self.start_and_wait_bound(self.copy, self.port)
        self.assertEqual(self.copy.stop(), 0)
        saved = self.copy.read_conf()
        # The program adds the settings it read and did not find; every line
        # that was there comes back to the letter, and the clients untouched.
        saved_params, saved_contacts = saved.split("[contacts]")
        written_params, written_contacts = text.split("[contacts]")
        stored = {line.split("=", 1)[1] for line in saved_params.splitlines()[1:]}
        for line in written_params.splitlines()[1:]:
            self.assertIn(line.split("=", 1)[1], stored)
        self.assertEqual(saved_contacts, written_contacts)

    def test_auto_start_runs_a_program_on_its_own_in_its_own_folder(self):
        folder = os.path.join(self.root.name, "companion")
        os.makedirs(folder)
        script = os.path.join(folder, "companion.sh")
        with open(script, "w") as f:
            f.write("#!/bin/sh\npwd -P > marker.tmp\nmv marker.tmp started-here\n")
        os.chmod(script, 0o755)
        self.copy.write_conf(["netPort = %d" % self.port, "log = 1", "AutoStartFile = %s" % script])
        self.start_and_wait_bound(self.copy, self.port)
        marker = os.path.join(folder, "started-here")
        self.assertTrue(wait_until(lambda: os.path.exists(marker), timeout=10), self.copy.log())
        with open(marker) as f:
            self.assertEqual(f.read().strip(), os.path.realpath(folder))
        self.assertEqual(self.copy.stop(), 0)
        self.assertNotIn("Auto start", self.copy.log())

    def test_an_auto_start_file_that_is_gone_is_a_line_of_the_log(self):
        gone = os.path.join(self.root.name, "deleted.sh")
        self.copy.write_conf(["netPort = %d" % self.port, "log = 1", "AutoStartFile = %s" % gone])
        self.start_and_wait_bound(self.copy, self.port)
        self.assertTrue(wait_until(lambda: "Auto start file not found: %s\n" % gone in self.copy.log()),
                        self.copy.log())
        self.assertEqual(self.copy.stop(), 0)

    def test_port_in_use_is_reported_and_nothing_is_left_running(self):
        self.copy.write_conf(["netPort = %d" % self.port])
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as holder:
            holder.bind((ADDRESS, self.port))
            started = time.monotonic()
            result = self.copy.run(timeout=10)
        self.assertNotEqual(result.returncode, 0)
        self.assertLess(time.monotonic() - started, 5.0)
        self.assertIn("Could not bind UDP port %d: Address already in use" % self.port, result.stderr)


if __name__ == "__main__":
    unittest.main()
