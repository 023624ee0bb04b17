#!/usr/bin/env python3
"""Lumaroll at the glass: the desktop program on a real X display with a real
window manager, driven by real input events and checked on the screen.

Starts Xvfb on a free display and openbox on it, makes tunes with ffmpeg, and
runs the lumaroll executable with a private home for each scenario. Input goes
through xdotool; window geometry comes from the X server (xwininfo, xprop) and
pixels from screenshots (ImageMagick's import) where nothing else tells.

    scenarios.py --program build/src/app/lumaroll --tool build/tools/lumaroll-tool [SCENARIO...]

Screenshots of every scenario are kept in --shots (default: a temporary folder).
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import traceback

SCREEN_W, SCREEN_H = 1600, 1000


class Failure(Exception):
    pass


def check(ok, what):
    if not ok:
        raise Failure(what)


def run(*args, env=None, check_rc=True):
    p = subprocess.run(args, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if check_rc and p.returncode != 0:
        raise Failure(f"{' '.join(args)}: {p.stderr.strip()}")
    return p.stdout


def wait_until(what, probe, timeout=10.0, step=0.05):
    end = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(step)


# ---- Music ------------------------------------------------------------------------------


def id3v23(title, artist, album):
    def frame(fid, text):
        body = b"\x00" + text.encode("latin-1")
        return fid.encode() + struct.pack(">I", len(body)) + b"\x00\x00" + body
    frames = frame("TIT2", title) + frame("TPE1", artist) + frame("TALB", album)
    size = len(frames)
    syncsafe = bytes([(size >> 21) & 127, (size >> 14) & 127, (size >> 7) & 127, size & 127])
    return b"ID3\x03\x00\x00" + syncsafe + frames


def make_sounds(folder):
    """Two untagged 40-second MP3 sounds; tunes are these with their own tags."""
    sounds = []
    for name, source in (("tone", "sine=frequency=330:duration=40"), ("noise", "anoisesrc=d=40:c=pink:a=0.3")):
        path = os.path.join(folder, name + ".raw.mp3")
        run("ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", source, "-ac", "2", "-c:a", "libmp3lame", "-b:a",
            "32k", "-map_metadata", "-1", "-id3v2_version", "0", "-write_xing", "0", path)
        with open(path, "rb") as f:
            sounds.append(f.read())
    return sounds


def write_tunes(folder, sounds, count, prefix, artist="R&B Singer"):
    os.makedirs(folder, exist_ok=True)
    for n in range(1, count + 1):
        with open(os.path.join(folder, f"{prefix} {n:03d}.mp3"), "wb") as f:
            f.write(id3v23(f"{prefix} {n}", artist, f"Album {n % 3}") + sounds[n % len(sounds)])


# ---- The display ------------------------------------------------------------------------


class Display:
    def __init__(self):
        r, w = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", f"{SCREEN_W}x{SCREEN_H}x24",
                                      "-nolisten", "tcp", "-noreset"], pass_fds=(w,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            number = f.readline().strip()
        check(number.isdigit(), "Xvfb did not start")
        self.name = ":" + number
        self.env = dict(os.environ, DISPLAY=self.name)
        self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        wait_until("the window manager",
                   lambda: "window id" in run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", env=self.env,
                                              check_rc=False))

    def close(self):
        for p in (self.wm, self.xvfb):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()

    def x(self, *args, check_rc=True):
        return run(*args, env=self.env, check_rc=check_rc)


# ---- Pictures ---------------------------------------------------------------------------


class Shot:
    """A screenshot: pixels of the whole screen, also kept as a PNG."""

    def __init__(self, display, path):
        data = subprocess.run(["import", "-display", display.name, "-window", "root", "-depth", "8", "ppm:-"],
                              stdout=subprocess.PIPE, check=True).stdout
        parts = data.split(b"\n", 3)
        check(parts[0] == b"P6" and parts[2] == b"255", "import gave no 8-bit picture")
        self.width, self.height = map(int, parts[1].split())
        self.pixels = parts[3]
        if path:
            subprocess.run(["import", "-display", display.name, "-window", "root", path], check=False)

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def region(self, x, y, w, h):
        return b"".join(self.pixels[((y + r) * self.width + x) * 3:((y + r) * self.width + x + w) * 3]
                        for r in range(h))


def near(a, b, tolerance=24):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


# ---- The program ------------------------------------------------------------------------


def write_prefs(config, left, top, width, height, volume=273):
    def swapped(v):
        v &= 0xFFFF
        s = ((v & 0xFF) << 8) | (v >> 8)
        return s - 0x10000 if s >= 0x8000 else s
    lines = [height, width, left, top, volume]
    folder = os.path.join(config, "Orvane-Lumaroll")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "LumarollPrefs"), "wb") as f:
        f.write(b"".join((b" %d\r" % swapped(v)) if swapped(v) >= 0 else (b"%d\r" % swapped(v)) for v in lines))


def read_prefs(config):
    path = os.path.join(config, "Orvane-Lumaroll", "LumarollPrefs")
    values = []
    with open(path, "rb") as f:
        for line in f.read().split(b"\r"):
            if line.strip():
                v = int(line) & 0xFFFF
                s = ((v & 0xFF) << 8) | (v >> 8)
                values.append(s - 0x10000 if s >= 0x8000 else s)
    return values  # height, width, left, top, volume


class Window:
    def __init__(self, display, wid):
        self.display, self.id = display, wid

    def geometry(self):
        """Client rectangle (x, y, w, h) and the frame around it, from the X server."""
        info = self.display.x("xwininfo", "-id", self.id)
        get = lambda key: int(info.split(key)[1].split()[0])
        client = (get("Absolute upper-left X:"), get("Absolute upper-left Y:"), get("Width:"), get("Height:"))
        extents = self.display.x("xprop", "-id", self.id, "_NET_FRAME_EXTENTS", check_rc=False)
        l = r = t = b = 0
        if "=" in extents:
            l, r, t, b = (int(v) for v in extents.split("=")[1].split(","))
        frame = (client[0] - l, client[1] - t, client[2] + l + r, client[3] + t + b)
        return client, frame


class App:
    def __init__(self, fixture, home, args=(), program=None, env_extra=None):
        self.fixture, self.display, self.home = fixture, fixture.display, home
        self.config = os.path.join(home, ".config")
        self.data = os.path.join(home, ".local", "share")
        env = dict(self.display.env, HOME=home, XDG_CONFIG_HOME=self.config, XDG_DATA_HOME=self.data,
                   XDG_MUSIC_DIR=os.path.join(home, "Music"), XDG_RUNTIME_DIR=os.path.join(home, ".run"),
                   QT_QPA_PLATFORM="xcb", SDL_AUDIODRIVER="dummy", LANG="C.UTF-8")
        for gone in ("DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS"):
            env.pop(gone, None)
        env.update(env_extra or {})
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
        self.log = open(os.path.join(home, "program.log"), "ab")
        self.proc = subprocess.Popen([program or fixture.program, *args], env=env, stdout=self.log,
                                     stderr=subprocess.STDOUT)
        self.main = self.window("Lumaroll")
        self.origin = None

    def windows(self, name):
        out = self.display.x("xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.proc.pid), "--name",
                             f"^{name}$", check_rc=False)
        return [Window(self.display, w) for w in out.split()]

    def window(self, name, timeout=10.0):
        def probe():
            check(self.proc.poll() is None, f"the program ended while waiting for '{name}'")
            found = self.windows(name)
            return found[0] if found else None
        return wait_until(f"window '{name}'", probe, timeout)

    def gone(self, name, timeout=5.0):
        wait_until(f"'{name}' to go", lambda: not self.windows(name), timeout)

    def alive(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout=10.0):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end")

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self.log.close()

    # -- where things are on the main window
    def content(self):
        """Screen position of the main window's content (below the menu bar) and its size."""
        client, _ = self.main.geometry()
        shot = self.fixture.shot(None)
        # The top band ends in a grey line at content y 72.
        x = client[0] + 5
        for y in range(max(0, client[1]), client[1] + 140):
            if shot.at(x, y) == (0x99, 0x99, 0x99):
                top = y - 72
                return (client[0], top, client[2], client[3] - (top - client[1]))
        raise Failure("no top band on the main window")

    def click(self, x, y, button=1, repeat=1):
        self.display.x("xdotool", "mousemove", str(x), str(y), "click", "--repeat", str(repeat),
                       "--delay", "80", str(button))
        time.sleep(0.15)

    def park(self):
        """The pointer off the window, so that no control shows it hovering."""
        self.display.x("xdotool", "mousemove", str(SCREEN_W - 2), str(SCREEN_H - 2))
        time.sleep(0.2)

    def click_content(self, x, y, **kw):
        cx, cy, _, _ = self.origin or self.content()
        self.click(cx + x, cy + y, **kw)

    def key(self, *keys):
        for k in keys:
            self.display.x("xdotool", "key", "--clearmodifiers", k)
            time.sleep(0.12)

    def colour_button(self, n):
        _, _, w, h = self.origin
        return (w - 27 - 23 * (11 - n) + 11, h - 26 + 11)

    def open_menu(self, rights=0):
        """Opens File (then moves right to Edit, Playlists, Player, Help)."""
        client, _ = self.main.geometry()
        self.click(client[0] + 18, client[1] + 8)
        self.key(*(["Right"] * rights))

    def ready(self):
        self.main = self.window("Lumaroll")
        time.sleep(0.4)
        self.origin = self.content()
        return self


class Fixture:
    def __init__(self, program, tool, shots):
        self.program, self.tool, self.shots = program, tool, shots
        self.work = tempfile.mkdtemp(prefix="lumaroll-glass-")
        self.display = Display()
        self.sounds = make_sounds(self.work)
        # A library of twelve tunes made once, copied into each home that needs it.
        self.library_music = os.path.join(self.work, "library-music")
        write_tunes(self.library_music, self.sounds, 12, "Tune")
        self.database = os.path.join(self.work, "LumarollDatabase")
        run(tool, "add", self.library_music, "--db", self.database)
        self.count = 0
        self.scenario = "none"

    def home(self, with_library=False, music=0):
        self.count += 1
        home = os.path.join(self.work, f"home{self.count}")
        os.makedirs(os.path.join(home, "Music"))
        if with_library:
            folder = os.path.join(home, ".local", "share", "Lumaroll")
            os.makedirs(folder)
            shutil.copy(self.database, os.path.join(folder, "LumarollDatabase"))
        if music:
            write_tunes(os.path.join(home, "Music"), self.sounds, music, "Song")
        return home

    def write_tunes(self, folder, count, prefix):
        write_tunes(folder, self.sounds, count, prefix)

    def start(self, home, *args, raw=False, env=None):
        app = App(self, home, args, env_extra=env)
        return app if raw else app.ready()

    def shot(self, name):
        path = os.path.join(self.shots, f"{self.scenario}-{name}.png") if name else None
        return Shot(self.display, path)

    def close(self):
        self.display.close()
        shutil.rmtree(self.work, ignore_errors=True)


def on_screen(frame):
    x, y, w, h = frame
    return x >= 0 and y >= 0 and x + w <= SCREEN_W and y + h <= SCREEN_H


SCENARIOS = {}


def scenario(fn):
    SCENARIOS[fn.__name__] = fn
    return fn


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--tool", required=True)
    parser.add_argument("--shots")
    parser.add_argument("names", nargs="*")
    a = parser.parse_args()
    for tool in ("Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "import", "ffmpeg"):
        if not shutil.which(tool):
            print(f"glass: {tool} is missing (tools/install-deps.sh installs it)", file=sys.stderr)
            return 1
    names = a.names or list(SCENARIOS)
    unknown = [n for n in names if n not in SCENARIOS]
    if unknown:
        print("glass: no scenario " + ", ".join(unknown) + "; there are: " + ", ".join(SCENARIOS), file=sys.stderr)
        return 2
    shots = a.shots or tempfile.mkdtemp(prefix="lumaroll-glass-shots-")
    os.makedirs(shots, exist_ok=True)
    fixture = Fixture(os.path.abspath(a.program), os.path.abspath(a.tool), shots)
    failed = []
    try:
        for name in names:
            fixture.scenario = name
            start = time.monotonic()
            apps = []
            try:
                SCENARIOS[name](fixture, apps)
                print(f"ok   {name} ({time.monotonic() - start:.1f} s)")
            except Exception as e:  # a scenario's failure is reported and the next one runs
                failed.append(name)
                print(f"FAIL {name}: {e}")
                fixture.shot("failure")
                if not isinstance(e, Failure):
                    traceback.print_exc()
                for app in apps:
                    with open(os.path.join(app.home, "program.log"), "rb") as f:
                        for line in f.read().decode(errors="replace").splitlines()[-15:]:
                            print("     program: " + line)
            finally:
                for app in apps:
                    app.kill()
                fixture.display.x("xdotool", "key", "Escape", check_rc=False)
    finally:
        fixture.close()
    print(f"screenshots: {shots}")
    return 1 if failed else 0

