"""A private X desktop for driving the real program: Xvfb with a window manager, real key and
pointer events through the XTEST extension, and screenshots taken from the X server."""
import ctypes
import os
import select
import shutil
import struct
import subprocess
import tempfile
import time
import zlib

SCREEN_WIDTH = 1365  # odd on purpose: the centre is truncated
SCREEN_HEIGHT = 768


class Failure(Exception):
    """A check of the program failed."""


def wait_for(what, condition, timeout=10.0, interval=0.05):
    """Polls `condition` until it returns a true value, which is returned; fails after `timeout`."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(interval)


class Image:
    """An RGB picture, rows top first."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return self.data[i], self.data[i + 1], self.data[i + 2]

    def crop(self, left, top, width, height):
        stride = 3 * self.width
        return Image(width, height, b"".join(self.data[y * stride + 3 * left:y * stride + 3 * (left + width)]
                                             for y in range(top, top + height)))

    def difference(self, other):
        """Mean absolute difference per channel of two pictures of the same size."""
        return sum(abs(a - b) for a, b in zip(self.data, other.data)) / len(self.data)

    def sample(self, step):
        """Every `step`-th pixel across and down: a picture enlarged `step` times made small again."""
        stride = 3 * self.width
        rows = (self.data[y * stride:(y + 1) * stride] for y in range(0, self.height, step))
        return Image(self.width // step, self.height // step,
                     b"".join(b"".join(row[x:x + 3] for x in range(0, stride, 3 * step)) for row in rows))

    def enlarged(self, step):
        """The picture with every pixel repeated into a `step` by `step` block."""
        stride = 3 * self.width
        rows = (self.data[y * stride:(y + 1) * stride] for y in range(self.height))
        return Image(self.width * step, self.height * step,
                     b"".join(b"".join(row[x:x + 3] * step for x in range(0, stride, 3)) * step for row in rows))

    def largest_difference(self, other):
        """The largest difference of one channel of one pixel between two pictures of the same size."""
        return max(abs(a - b) for a, b in zip(self.data, other.data))

    def brightness(self):
        return sum(self.data) / len(self.data)

    def fraction(self, left, top, width, height, test):
        hits = sum(1 for y in range(top, top + height) for x in range(left, left + width) if test(self.pixel(x, y)))
        return hits / (width * height)


class Desktop:
    """Xvfb on a free display number, openbox on it, and helpers to act on it."""

    def __init__(self, workdir, width=SCREEN_WIDTH, height=SCREEN_HEIGHT):
        self.workdir, self.width, self.height = workdir, width, height
        self.home = tempfile.mkdtemp(prefix="desktop-", dir=workdir)
        self.processes = []
        read_end, write_end = os.pipe()
        xvfb = self._spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                            f"{width}x{height}x24", "-noreset", "-nolisten", "tcp"],
                           "xvfb.log", pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            if not select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))[0]:
                raise Failure("Xvfb did not start")
            chunk = os.read(read_end, 16)
            if not chunk:
                raise Failure(f"Xvfb exited with status {xvfb.wait()}")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display, HOME=self.home,
                        XDG_CONFIG_HOME=os.path.join(self.home, "config"), LIBGL_ALWAYS_SOFTWARE="1")
        self.env.pop("WAYLAND_DISPLAY", None)
        self._spawn(["openbox", "--sm-disable"], "openbox.log")
        wait_for("the window manager", lambda: "window id" in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"))
        self.run("xset", "r", "rate", "400", "25")
        self._xlib, self._xtst = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXtst.so.6")
        display, ulong, c_int = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int
        self._xlib.XOpenDisplay.restype = display
        self._xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self._xlib.XFlush.argtypes = self._xlib.XCloseDisplay.argtypes = [display]
        self._xlib.XSync.argtypes = [display, c_int]
        self._xtst.XTestFakeKeyEvent.argtypes = self._xtst.XTestFakeButtonEvent.argtypes = \
            [display, ctypes.c_uint, c_int, ulong]
        self._xtst.XTestFakeMotionEvent.argtypes = [display, c_int, c_int, c_int, ulong]
        self._connection = self._xlib.XOpenDisplay(self.display.encode())
        if not self._connection:
            raise Failure("cannot connect to " + self.display)

    def _spawn(self, argv, log, **kwargs):
        with open(os.path.join(self.home, log), "wb") as out:
            process = subprocess.Popen(argv, stdout=out, stderr=subprocess.STDOUT, env=getattr(self, "env", None),
                                       **kwargs)
        self.processes.append(process)
        return process

    def close(self):
        if getattr(self, "_connection", None):
            self._xlib.XCloseDisplay(self._connection)
            self._connection = None
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.home, ignore_errors=True)

    def run(self, *argv, check=False):
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=30)
        if check and result.returncode != 0:
            raise Failure(f"{argv[0]} failed: {result.stderr.strip()}")
        return result.stdout

    def spawn(self, argv, log, env=None):
        """Starts a client of this desktop, its output going to `log` in the work folder; `env`
        adds to the desktop's environment."""
        out = open(os.path.join(self.workdir, log), "wb")
        return subprocess.Popen(argv, stdout=out, stderr=out, env=dict(self.env, **(env or {})))

    # Input.
    def key(self, *names):
        """Presses and releases each key in turn (key names as xdotool knows them)."""
        self.run("xdotool", "key", "--delay", "40", *names, check=True)

    def keycode(self, code):
        """Presses and releases a key by its raw keycode: the keypad keys say what NumLock makes them."""
        for down in (1, 0):
            self._xtst.XTestFakeKeyEvent(self._connection, code, down, 0)
            self._xlib.XSync(self._connection, 0)
            time.sleep(0.04)

    def keypad_codes(self):
        """Raw keycodes of the keypad keys, by the keysym they give with NumLock on ('KP_8')."""
        fields = [line.split() for line in self.run("xmodmap", "-pke").splitlines()]
        return {f[4]: int(f[1]) for f in fields if len(f) >= 5 and f[3].startswith("KP_") and f[4].startswith("KP_")}

    def numlock(self):
        return "Num Lock:    on" in self.run("xset", "q")

    def set_numlock(self, on):
        if self.numlock() != on:
            self.key("Num_Lock")
        wait_for("NumLock " + ("on" if on else "off"), lambda: self.numlock() == on, timeout=3)

    def pointer_to(self, x, y):
        """Moves the pointer to a screen position; the server has done it on return."""
        self._xtst.XTestFakeMotionEvent(self._connection, 0, x, y, 0)
        self._xlib.XSync(self._connection, 0)

    def button(self, down):
        """Presses or releases the left button."""
        self._xtst.XTestFakeButtonEvent(self._connection, 1, 1 if down else 0, 0)
        self._xlib.XSync(self._connection, 0)

    # Windows.
    def find_window(self, name):
        out = self.run("xdotool", "search", "--onlyvisible", "--name", f"^{name}$").split()
        return int(out[0]) if out else None

    def active_window(self):
        out = self.run("xdotool", "getactivewindow").split()
        return int(out[0]) if out else None

    def geometry(self, window):
        """Screen position and size of a window's client area: (left, top, width, height)."""
        values = dict(line.strip().partition(":")[::2] for line in self.run("xwininfo", "-id", str(window)).splitlines()
                      if ":" in line)
        try:
            return tuple(int(values[key].strip()) for key in ("Absolute upper-left X", "Absolute upper-left Y",
                                                              "Width", "Height"))
        except (KeyError, ValueError):
            return None

    def screenshot(self, path=None):
        """The whole screen as an Image; also saved as a PNG when a path is given."""
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], env=self.env,
                              capture_output=True, timeout=30).stdout
        if len(data) != 3 * self.width * self.height:
            raise Failure("screenshot failed")
        image = Image(self.width, self.height, data)
        if path:
            save_png(image, path)
        return image


def save_png(image, path):
    """Writes an Image as PNG with the standard library only."""
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    stride = 3 * image.width
    raw = b"".join(b"\x00" + image.data[y * stride:(y + 1) * stride] for y in range(image.height))
    header = struct.pack(">IIBBBBB", image.width, image.height, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 6)) +
                  chunk(b"IEND", b""))


class SoundServer:
    """A private PulseAudio server with one sink that plays into nothing, in its own runtime
    folder, and a recorder of what reaches that sink. `env` points a client at it."""

    RATE = 48000  # mono 16-bit samples, as the game plays them

    def __init__(self, workdir):
        self.folder = tempfile.mkdtemp(prefix="pulse-", dir=workdir)
        socket = os.path.join(self.folder, "native")
        config = os.path.join(self.folder, "client.conf")
        with open(config, "w") as out:
            out.write("autospawn = no\n")  # a client never starts a server of its own
        self.env = {"PULSE_SERVER": "unix:" + socket, "PULSE_CLIENTCONFIG": config, "PULSE_RUNTIME_PATH": self.folder,
                    "PULSE_STATE_PATH": self.folder}
        env = dict(os.environ, HOME=self.folder, XDG_RUNTIME_DIR=self.folder, **self.env)
        self.recording = os.path.join(self.folder, "recording.raw")
        with open(os.path.join(self.folder, "server.log"), "wb") as log:
            # As root the server needs anonymous access on its socket to be reached at all.
            self.server = subprocess.Popen(
                ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                 "--disable-shm=yes", "-L", f"module-native-protocol-unix socket={socket} auth-anonymous=1",
                 "-L", f"module-null-sink sink_name=game rate={self.RATE} channels=1"],
                stdout=log, stderr=subprocess.STDOUT, env=env)
        self.recorder = None
        self._env = env
        wait_for("the sound server", lambda: self.server.poll() is not None or self.pactl("info"), timeout=20)
        if self.server.poll() is not None:
            raise Failure(f"the sound server exited with status {self.server.returncode}")

    def pactl(self, *argv):
        result = subprocess.run(["pactl", *argv], env=self._env, capture_output=True, text=True, timeout=30)
        return result.stdout if result.returncode == 0 else ""

    def record(self):
        """Starts recording the sink; returns once the recorder hands over data (about two
        seconds after its start)."""
        with open(self.recording, "wb") as out:
            self.recorder = subprocess.Popen(
                ["parec", "--raw", "--format=s16le", f"--rate={self.RATE}", "--channels=1", "--latency-msec=20",
                 "-d", "game.monitor"], stdout=out, stderr=subprocess.DEVNULL, env=self._env)
        wait_for("the recorder's first data", lambda: self.mark() > 0, timeout=20)

    def mark(self):
        """Where the recording has got to, in samples."""
        return os.path.getsize(self.recording) // 2

    def samples(self, start, count):
        """`count` recorded samples from `start` on, once the recording has got that far."""
        wait_for("the recording to go on", lambda: self.mark() >= start + count, timeout=20)
        with open(self.recording, "rb") as recording:
            recording.seek(2 * start)
            return struct.unpack(f"<{count}h", recording.read(2 * count))

    def close(self):
        for process in (self.recorder, self.server):
            if process and process.poll() is None:
                process.send_signal(2)  # SIGINT: the recorder writes out what it has
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)
