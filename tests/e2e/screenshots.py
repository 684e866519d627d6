"""Takes the README's pictures of the main window under a private X server:
the first start with no client, in English and with a language file; idle
with three clients (offline, online, busy), in a call with the scope on,
with the context menu open, and with a language file applied; then the
client dialog and each page of the properties dialog.

    python3 screenshots.py OUTPUT_FOLDER     (ONDREL_BINARY names the program)
"""
import os
import signal
import subprocess
import sys
import tempfile
import time

from harness import Copy, free_udp_port, udp_port_free, wait_until
from pulse import PulseServer
from xserver import XServer

A, B, C, D, NOBODY = "127.1.0.1", "127.1.0.2", "127.1.0.3", "127.1.0.4", "127.1.0.9"
CONNECTED = 9027

SWEDISH = """<?xml version="1.0" encoding="UTF-8"?>
<lang>
  <texts language="Svenska">
    <Author>Ondrel</Author>
    <Version>1.0</Version>
    <Client>Klient</Client>
    <Tools>Verktyg</Tools>
    <Add>Lägg till</Add>
    <Edit>Ändra</Edit>
    <Remove>Ta bort</Remove>
    <Connect>Ring upp</Connect>
    <Disconnect>Lägg på</Disconnect>
    <ConnectWithDns>Ring upp med namnuppslag</ConnectWithDns>
    <Properties>Inställningar</Properties>
    <ViewLogFile>Visa loggfilen</ViewLogFile>
    <SystemKey>Systemtangent</SystemKey>
    <About>Om...</About>
    <Minimize>Till aktivitetsfältet</Minimize>
    <Quit>Avsluta</Quit>
    <OnLine>Samtal:</OnLine>
    <TxkB>Ut kB/s:</TxkB>
    <RxkB>In kB/s:</RxkB>
    <EmptyList>Inga klienter än. Tryck Insert, eller högerklicka här och välj Lägg till, för att lägga till en vän.</EmptyList>
    <EmptyListAddress>En vän ringer den här datorn på:</EmptyListAddress>
    <EmptyListNoAddress>Datorn har ingen nätverksadress än.</EmptyListNoAddress>
  </texts>
</lang>
"""


def crop(x, window, path):
    """The window and a small margin around it, from a full-screen picture."""
    left, top, width, height = x.geometry(window)
    full = path + ".full.png"
    x.screenshot(full)
    subprocess.run(["convert", full, "-crop", "%dx%d+%d+%d" % (width + 16, height + 16, left - 8, top - 8),
                    "+repage", path], check=True)
    os.remove(full)


def crop_with_menu(x, window, path, width, height):
    left, top, _, _ = x.geometry(window)
    full = path + ".full.png"
    x.screenshot(full)
    subprocess.run(["convert", full, "-crop", "%dx%d+%d+%d" % (width, height, left - 8, top - 8), "+repage", path],
                   check=True)
    os.remove(full)


PAGES = ["network", "sound", "speex", "options", "access", "filters"]


def dialog_shots(x, a, out, params, contacts):
    """The dialogs, opened by their keys. Speex 8 kHz is the sound type, so
    that the Speex page is among the properties' pages."""
    a.write_conf(params + ["SndType = 9058", "FilterBp = 1", "FilterBpFreq = 1200", "FilterBpQ = 4",
                           "FilterBpScale = 10", "FilterBpCascade = 2"], contacts)
    a.start()
    window = x.wait_window(a.process.pid, "Ondrel")
    x.key(window, "Insert")
    dialog = x.wait_window(a.process.pid, "Client")
    x.xdotool("type", "--delay", "30", "10.0.0.7")
    x.key(dialog, "Tab", "Tab")
    x.xdotool("type", "--delay", "30", "Lab PC")
    time.sleep(0.5)
    crop(x, dialog, os.path.join(out, "dialog-client.png"))
    x.key(dialog, "Escape")
    time.sleep(0.3)
    x.key(window, "ctrl+p")
    dialog = x.wait_window(a.process.pid, "Properties")
    for page in PAGES:
        time.sleep(0.5)
        crop(x, dialog, os.path.join(out, "dialog-properties-%s.png" % page))
        x.key(dialog, "ctrl+Tab")
    x.key(dialog, "Escape")
    assert a.command(4).returncode == 0
    a.wait_exit()


def first_start_shots(x, root, out, pulse):
    """A copy with no client, on all of this computer's addresses as a
    person's is, on the usual port when it is free: it sends nothing."""
    port = 4444 if udp_port_free("0.0.0.0", 4444) else free_udp_port("0.0.0.0")
    first = Copy(root, "first", None)
    first.write_conf(["netPort = %d" % port, "DlgX = 40", "DlgY = 40"])
    first.extra_env = dict(pulse.client_env("a_spk", "a_mic"), **x.env())
    try:
        for name, language in (("window-first-start.png", None), ("window-first-start-language.png", SWEDISH)):
            if language:
                with open(os.path.join(first.work_dir, "language.xml"), "w", encoding="utf-8") as f:
                    f.write(language)
            first.start()
            window = x.wait_window(first.process.pid, "Ondrel")
            time.sleep(1.5)
            crop(x, window, os.path.join(out, name))
            assert first.command(4).returncode == 0
            first.wait_exit()
    finally:
        first.stop(signal.SIGKILL)


def main(out):
    os.makedirs(out, exist_ok=True)
    root = tempfile.mkdtemp(prefix="ondrel-shots-")
    x = XServer(640, 480).start()
    pulse = PulseServer(["a_spk", "a_mic", "b_spk", "b_mic", "c_spk", "c_mic", "d_spk", "d_mic"])
    pulse.start()
    copies = []
    players = []
    try:
        first_start_shots(x, root, out, pulse)
        port = free_udp_port(A, B, C, D)
        a, b, c, d = (Copy(root, n, addr) for n, addr in (("a", A), ("b", B), ("c", C), ("d", D)))
        copies = [a, b, c, d]
        common = ["netPort = %d" % port]
        a_contacts = ["%s Bob at the desk" % B, "%s Carol" % C, "%s Office PC" % NOBODY]
        a.write_conf(common + ["DlgX = 40", "DlgY = 40", "userName = Alice", "ScopeOn = 1"], a_contacts)
        b.write_conf(common + ["AlwaysAnswer = 1", "userName = Bob"], ["%s Alice" % A])
        c.write_conf(common + ["userName = Carol"], ["%s Alice" % A, "%s Dave" % D])
        d.write_conf(common + ["AlwaysAnswer = 1", "userName = Dave"], ["%s Carol" % C])
        for copy, name in zip(copies, "abcd"):
            copy.extra_env = pulse.client_env(name + "_spk", name + "_mic")
        a.extra_env.update(x.env())
        for copy in copies:
            copy.start()
        window = x.wait_window(a.process.pid, "Ondrel")

        # Carol is in a call with Dave, so Alice sees her busy.
        assert wait_until(lambda: a.client(C) == (True, False) and c.client(D) == (True, False), 20), a.status()
        assert c.command(2, D).returncode == 0
        assert wait_until(lambda: a.client(B) == (True, False) and a.client(C) == (True, True), 20), a.status()
        time.sleep(0.5)
        crop(x, window, os.path.join(out, "window-idle.png"))

        x.click(window, 30, 5, button=3)
        time.sleep(0.8)
        crop_with_menu(x, window, os.path.join(out, "window-menu.png"), 320, 185)
        x.key(window, "Escape")
        time.sleep(0.3)

        # A call to Bob, with something to hear each way for the scope.
        for sink, freq in (("a_mic", 440), ("b_mic", 260)):
            wav = os.path.join(root, sink + ".wav")
            subprocess.run(["sox", "-n", "-r", "16000", "-c", "1", wav, "synth", "60", "sine", str(freq),
                            "tremolo", "3", "60", "vol", "0.6"], check=True)
            players.append(pulse.play(sink, wav))
        x.key(window, "Return")
        assert wait_until(lambda: any((a.line(n) or (0,))[0] == CONNECTED for n in (1, 2)), 15), a.status()
        time.sleep(3)
        crop(x, window, os.path.join(out, "window-call-scope.png"))
        for p in players:
            p.terminate()
        a.command(3)
        assert a.command(4).returncode == 0
        a.wait_exit()

        dialog_shots(x, a, out, common + ["DlgX = 40", "DlgY = 40", "userName = Alice"], a_contacts)

        with open(os.path.join(a.work_dir, "language.xml"), "w", encoding="utf-8") as f:
            f.write(SWEDISH)
        a.start()
        window = x.wait_window(a.process.pid, "Ondrel")
        assert wait_until(lambda: a.client(B) == (True, False), 20), a.status()
        x.click(window, 30, 5, button=3)
        time.sleep(0.5)
        x.xdotool("mousemove", "--window", str(window), "60", "40")  # over "Klient"
        time.sleep(0.8)
        crop_with_menu(x, window, os.path.join(out, "window-language.png"), 570, 245)
    finally:
        for p in players:
            p.kill()
        for copy in copies:
            copy.stop(signal.SIGKILL)
        pulse.stop()
        x.stop()


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "docs")
