"""Uses the program as the Debian package installed it: the command line,
the desktop entry and icon in their places, the window under a private X
server, a remote command answered through its box, and quitting by command.

    python3 installed_package.py     (after `apt-get install ./ondrel_*.deb`)
"""
import os
import subprocess
import sys
import tempfile
import time

from harness import free_udp_port
from xserver import XServer

PROGRAM = "/usr/bin/ondrel"
APP_ID = "org.ondrel.Ondrel"
INSTALLED = [
    "/usr/share/applications/%s.desktop" % APP_ID,
    "/usr/share/metainfo/%s.metainfo.xml" % APP_ID,
    "/usr/share/icons/hicolor/scalable/apps/%s.svg" % APP_ID,
    "/usr/share/icons/hicolor/48x48/apps/%s.png" % APP_ID,
    "/usr/share/man/man1/ondrel.1.gz",
    "/usr/share/doc/ondrel/copyright",
]


def check(condition, what):
    if not condition:
        sys.exit("installed package: " + what)
    print("ok:", what)


def run(*args, **kwargs):
    return subprocess.run([PROGRAM, *args], capture_output=True, text=True, timeout=20, **kwargs)


def main():
    for path in INSTALLED:
        check(os.path.exists(path), path)
    version = run("--version")
    check(version.returncode == 0 and version.stdout.strip() == "Ondrel v0.57a", "--version: " + version.stdout)
    check(run("--help").returncode == 0, "--help")
    bad = run("--frobnicate")
    check(bad.returncode == 2 and "unknown option" in bad.stderr and "Usage:" in bad.stderr, "an unknown option")

    root = tempfile.mkdtemp(prefix="ondrel-installed-")
    config = os.path.join(root, "config")
    os.makedirs(config)
    with open(os.path.join(config, "ondrel.conf"), "w", encoding="utf-8") as f:
        f.write("[params2]\n0=netPort = %d\n" % free_udp_port("127.1.0.1"))
    x = XServer().start()
    env = dict(os.environ, **x.env(), XDG_RUNTIME_DIR=root)
    # What the sound libraries say of the missing sound card goes to a file.
    noise = open(os.path.join(root, "stderr.txt"), "w")
    program = subprocess.Popen([PROGRAM, "--config-dir", config, "--bind", "127.1.0.1"], cwd=root, env=env,
                               stderr=noise)
    try:
        window = x.wait_window(program.pid, "Ondrel")
        wm_class = x.run("xprop", "-id", str(window), "WM_CLASS")
        check('"ondrel"' in wm_class, "the window's class matches StartupWMClass: " + wm_class.strip())
        # Command 1 shows its text in a box; the answer comes once it is read.
        test = subprocess.Popen([PROGRAM, "--command", "1", "hello", "--config-dir", config], env=env,
                                stdout=subprocess.PIPE, text=True)
        box = x.wait_window(program.pid, "Ondrel Info")
        x.key(box, "Return")
        out, _ = test.communicate(timeout=10)
        check(test.returncode == 0 and out.strip() == "1", "command 1 answered 1")
        quit_command = run("--command", "4", "--config-dir", config, env=env)
        check(quit_command.returncode == 0, "command 4 accepted")
        check(program.wait(timeout=10) == 0, "the program quit in order")
    finally:
        if program.poll() is None:
            program.kill()
        x.stop()
        noise.close()


if __name__ == "__main__":
    main()
