#!/usr/bin/env python3
"""stakmir.exe under Wine on a private X desktop, driven by real key events and checked by screenshots
and its exit status, with the desktop and picture readers of the Linux window tests.
    wine_window_test.py WINE_RUN PREFIX PROGRAM WORKDIR CASE
Each case runs in its own copy of PREFIX (its own Wine server); screenshots go to WORKDIR/CASE/."""
import ctypes
import os
import shutil
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "platform"))
import sound_test as heard  # noqa: E402
import window_test as shown  # noqa: E402
from desktop import SCREEN_HEIGHT, SCREEN_WIDTH, Desktop, Failure, SoundServer, wait_for  # noqa: E402

BORDER = 1  # the thin border Wine draws around the client area of the popup window


class WineGame(shown.Game):
    """One run of stakmir.exe under Wine; its origin is the client area's corner, inside the border."""

    def __init__(self, desktop, command, outdir, scale=1, env=None):
        self.desktop, self.outdir, self.shots, self.scale = desktop, outdir, 0, scale
        self.process = desktop.spawn(command, os.path.join(outdir, "program.log"), env)
        self.window = wait_for("the window", lambda: desktop.find_window("Stakmir") if self.alive() else "gone",
                               timeout=30)
        if self.window == "gone":
            raise Failure(f"the program exited with status {self.process.returncode} before showing its window")
        self.focus()  # unmanaged Wine windows get no focus: give it as a player's click would

    def focus(self):
        self.desktop.run("xdotool", "windowfocus", "--sync", str(self.window), check=True)

    def origin(self):
        left, top = self.desktop.geometry(self.window)[:2]
        return left + BORDER, top + BORDER

    def expect_exit(self, what):
        try:
            status = self.process.wait(15)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end")
        if status != 0:
            raise Failure(f"{what} ended the program with status {status}")


def check_icon(desktop, game):
    """Wine shows the class icon as the window's 32 by 32 picture: exactly the one built in."""
    values = desktop.run("xprop", "-notype", "-f", "_NET_WM_ICON", "32c", "-id", str(game.window), "_NET_WM_ICON")
    numbers = [int(v) for v in values.partition("=")[2].replace(",", " ").split()]
    if numbers[:2] != [32, 32] or len(numbers) < 2 + 32 * 32:
        raise Failure("the window has no 32 by 32 icon")
    picture = os.path.join(shown.SOURCE_DIR, "data", "icons", "stakmir-32.png")
    rgba = subprocess.run(["convert", picture, "-depth", "8", "rgba:-"], capture_output=True).stdout
    if len(rgba) != 32 * 32 * 4:
        raise Failure("cannot read " + picture)
    expected = [(rgba[i + 3] << 24) | (rgba[i] << 16) | (rgba[i + 1] << 8) | rgba[i + 2] for i in range(0, len(rgba), 4)]
    mismatched = sum(1 for a, b in zip(numbers[2:2 + 32 * 32], expected) if a != b and (a >> 24) + (b >> 24) > 0)
    if mismatched > 0:
        raise Failure(f"the window icon differs from {picture} in {mismatched} pixels")


def case_window(desktop, game):
    """Centred outer corner, thin border round 480 by 320, title, icon; intro fades in; F10 ignored; Escape 0."""
    left, top, width, height = game.desktop.geometry(game.window)
    if (left, top) != (SCREEN_WIDTH // 2 - 240, SCREEN_HEIGHT // 2 - 160):
        raise Failure(f"the window's outer corner is at {left}, {top}, not centred")
    if (width, height) != (shown.WIDTH + 2 * BORDER, shown.HEIGHT + 2 * BORDER):
        raise Failure(f"the window is {width} by {height}: not a 480 by 320 client area in a thin border")
    if '"Stakmir"' not in desktop.run("xprop", "-id", str(game.window), "WM_NAME"):
        raise Failure("the window is not titled Stakmir")
    check_icon(desktop, game)
    early = game.grab("intro-early")
    settled = shown.wait_start_screen(game)
    game.grab("help")
    if early.crop(*shown.TITLE).difference(settled.crop(*shown.TITLE)) < 3:
        raise Failure("the title did not fade in")
    if shown.well_shown(early):
        raise Failure("the well was there from the start")
    desktop.key("F10")  # a system key on Windows: no key event, so its release starts nothing
    time.sleep(0.5)
    if not shown.help_shown(game.grab()):
        raise Failure("F10 started the game")
    desktop.key("Escape")
    game.expect_exit("Escape")


# Read against the help screen's picture (the reference: same background, empty well, no marker).
WELL_LEFT, WELL_TOP, WELL_RIGHT, WELL_BOTTOM = 300, 10, 450, 310
MARKER_ROWS = (312, 313)  # the light bar under every column the falling piece covers


def differs(image, reference, x, y, threshold):
    return sum(abs(a - b) for a, b in zip(image.pixel(x, y), reference.pixel(x, y))) > threshold


def marker_span(image, reference):
    """(left, right) x of the column marker, or None."""
    xs = [x for x in range(WELL_LEFT, WELL_RIGHT) if all(differs(image, reference, x, y, 90) for y in MARKER_ROWS)]
    return (min(xs), max(xs) + 1) if xs else None


def falling_piece(image, reference):
    """(top, bottom) of the topmost thing in the well when free of the floor and the stack, else None.
    Gaps of a few rows (between cells' rims) join a group."""
    groups = []
    for y in range(WELL_TOP, WELL_BOTTOM):
        if sum(1 for x in range(WELL_LEFT, WELL_RIGHT, 2) if differs(image, reference, x, y, 40)) < 2:
            continue
        if groups and y - groups[-1][1] <= 4:
            groups[-1][1] = y
        else:
            groups.append([y, y])
    return None if not groups or groups[0][1] >= WELL_BOTTOM - 3 else tuple(groups[0])


def start_game(desktop, game):
    """Starts the game from the help screen with a key release; returns the reference picture."""
    reference = shown.wait_start_screen(game)
    desktop.key("shift")  # any key's release starts, also of one the game has no use for
    wait_for("the game to start", lambda: marker_span(game.grab(), reference), timeout=10)
    if shown.help_shown(game.grab("started")):
        raise Failure("the help text stayed after the start")
    return reference


def wait_piece_inside(game, reference):
    return wait_for("the piece to enter the well", lambda: (lambda p: p if p and p[0] > WELL_TOP + 8 else None)(
        falling_piece(game.grab(), reference)), timeout=8)


def check_slam(game, reference, press, what):
    """The piece joins the stack at once instead of falling for seconds."""
    wait_piece_inside(game, reference)
    press()
    wait_for(f"{what} to slam the piece", lambda: falling_piece(game.grab(), reference) is None, timeout=2,
             interval=0.02)


def check_marker(game, reference, press, expect, what):
    """Presses a key and waits until the marker's span satisfies `expect(before, after)`."""
    before = marker_span(game.grab(), reference)
    if before is None:
        raise Failure(f"no piece is falling before {what}")
    press()
    seen = []

    def changed():
        seen.append(marker_span(game.grab(), reference))
        return seen[-1] is not None and expect(before, seen[-1])
    try:
        wait_for(what, changed, timeout=5)
    except Failure:
        raise Failure(f"{what}: the piece covered x {before[0]} to {before[1]}, then {seen}")


def turn_a_wide_piece(desktop, game, reference):
    """Turns a piece inside the well that covers three or four columns, so surely not the square
    one, whose turn would not show; narrower pieces are slammed out of the way first. The width
    is read again just before the turn, as on a slow machine the piece may land meanwhile."""
    for _ in range(10):
        wait_piece_inside(game, reference)
        span = marker_span(game.grab(), reference)
        if span is not None and span[1] - span[0] > 2 * shown.CELL:
            check_marker(game, reference, lambda: desktop.key("Up"), lambda b, a: a[1] - a[0] != b[1] - b[0],
                         "Up Arrow to turn the piece")
            return
        check_slam(game, reference, lambda: desktop.key("space"), "space")
    raise Failure("no piece of three or four columns came in ten pieces")


def case_play(desktop, game):
    """Arrows and the keypad with NumLock on and off move; Up turns; space and keypad 3 slam; Q ends with 0."""
    codes = desktop.keypad_codes()
    reference = start_game(desktop, game)
    wait_piece_inside(game, reference)
    game.grab("falling")
    cell = shown.CELL
    # Keypad keys go by raw keycode, so that what they mean is up to NumLock alone.
    for numlock, key, delta in [(True, "Left", -cell), (True, "Right", cell), (True, "KP_4", -cell),
                                (True, "KP_6", cell), (False, "KP_4", -cell), (False, "KP_6", cell)]:
        desktop.set_numlock(numlock)
        press = (lambda k=key: desktop.keycode(codes[k])) if key.startswith("KP_") else (lambda k=key: desktop.key(k))
        check_marker(game, reference, press, lambda b, a, d=delta: a == (b[0] + d, b[1] + d),
                     f"{key} with NumLock {'on' if numlock else 'off'} to move the piece by {delta}")
    game.grab("moved")
    turn_a_wide_piece(desktop, game, reference)
    game.grab("turned")
    desktop.set_numlock(True)
    check_slam(game, reference, lambda: desktop.keycode(codes["KP_3"]), "keypad 3 with NumLock on")
    game.grab("slammed")
    desktop.key("q")
    game.expect_exit("Q")
    # No sound server here: the program said so once (Wine's own sound drivers may say more).
    with open(os.path.join(game.outdir, "program.log"), errors="replace") as log:
        said = [line for line in log.read().splitlines() if line.startswith("stakmir:")]
    if len(said) != 1 or not said[0].startswith(shown.NO_SOUND):
        raise Failure(f"without a sound device the program said {said!r}, not one line that it plays without sound")


def case_sound(desktop, command, outdir):
    """Wine's PulseAudio driver reaches a private sound server: the start and a slam are heard."""
    server = SoundServer(outdir)
    game = None
    try:
        game = WineGame(desktop, command, outdir, env=server.env)
        server.record()
        reference = shown.wait_start_screen(game)
        mark = server.mark()
        desktop.key("shift")
        heard.check_heard(server.samples(mark, heard.RATE // 2), "the start of a game")
        wait_for("the game to start", lambda: marker_span(game.grab(), reference), timeout=10)
        wait_piece_inside(game, reference)
        mark = server.mark()
        desktop.key("space")
        heard.check_heard(server.samples(mark, heard.RATE), "a slam")
        desktop.key("q")
        game.expect_exit("Q")
    except Failure:
        desktop.screenshot(os.path.join(outdir, "failure-screen.png"))
        raise
    finally:
        if game:
            game.stop()
        server.close()


def case_pause(desktop, game):
    """Another window taking the focus veils and stops the game; the focus back resumes it; X ends with 0."""
    reference = start_game(desktop, game)
    wait_piece_inside(game, reference)
    playing = game.grab("playing")
    other = desktop.spawn(["xmessage", "-geometry", "+20+20", "another program"], os.path.join(game.outdir, "other.log"))
    try:
        # The veil lightens the picture by a quarter towards white.
        veiled = shown.grab_when(game, "the pause veil", lambda i: i.brightness() > playing.brightness() + 15, 5)
        game.grab("paused")
        time.sleep(0.6)
        if game.grab().difference(veiled) > 0.01:
            raise Failure("the game went on while its window was inactive")
    finally:
        other.terminate()
        other.wait()
    game.focus()
    resumed = shown.grab_when(game, "the game to resume", lambda i: i.brightness() < playing.brightness() + 5, 5)
    game.grab("resumed")
    top = falling_piece(resumed, reference)
    if top is None:
        raise Failure("no piece is falling after the pause")
    wait_for("the piece to fall on", lambda: (lambda p: p and p[0] > top[0] + 3)(falling_piece(game.grab(), reference)),
             timeout=5)
    desktop.key("x")
    game.expect_exit("X")


class ClientMessage(ctypes.Structure):
    """XClientMessageEvent, padded to the size of an XEvent."""
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]


def case_close(desktop, game):
    """The desktop's close request (WM_DELETE_WINDOW, as a title bar's button sends) ends with 0."""
    shown.wait_start_screen(game)
    xlib, connection = desktop._xlib, desktop._connection
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    event = ClientMessage(type=33, window=game.window, message_type=xlib.XInternAtom(connection, b"WM_PROTOCOLS", 0),
                          format=32)
    event.data[0] = xlib.XInternAtom(connection, b"WM_DELETE_WINDOW", 0)
    xlib.XSendEvent(connection, game.window, 0, 0, ctypes.byref(event))
    xlib.XFlush(connection)
    game.expect_exit("a close request")


def case_scaled(desktop, game):
    """On a 2560 by 1440 screen the window's outer corner is the centre less half the client area,
    which is 1440 by 960, every game pixel a 3 by 3 block of screen pixels (the program declares
    itself DPI-aware, so Wine's screen is its real pixels)."""
    left, top, width, height = game.desktop.geometry(game.window)
    expected = (2560 // 2 - 720, 1440 // 2 - 480, 3 * shown.WIDTH + 2 * BORDER, 3 * shown.HEIGHT + 2 * BORDER)
    if (left, top, width, height) != expected:
        raise Failure(f"the window is at {left, top} and {width} by {height}, not {expected}")
    shown.wait_start_screen(game)
    full = game.grab("help-3x", full=True)
    shown.expect_enlarged(full, full.sample(3), 3, "the 3x window")
    desktop.key("Escape")
    game.expect_exit("Escape")


def case_no_display(command, outdir):
    """Without a display: exactly one line of explanation and status 1."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    result = subprocess.run(command, env=env, capture_output=True, text=True, timeout=60)
    with open(os.path.join(outdir, "program.log"), "w") as log:
        log.write(result.stderr)
    if result.returncode != 1:
        raise Failure(f"status {result.returncode} without a display")
    if result.stderr.strip().splitlines() != ["stakmir: could not create the window"]:
        raise Failure(f"unclear message without a window: {result.stderr!r}")


def private_prefix(prefix, outdir):
    """A private copy of the prepared prefix in `outdir` (wine-run.sh makes one from scratch if
    there is none); returns its path."""
    own_prefix = os.path.join(outdir, "wineprefix")
    shutil.rmtree(own_prefix, ignore_errors=True)
    if os.path.isdir(prefix):
        shutil.copytree(os.path.abspath(prefix), own_prefix, symlinks=True,
                        ignore=shutil.ignore_patterns(".stakmir-lock"))
    return own_prefix


def main():
    wine_run, prefix, program, workdir, case = sys.argv[1:6]
    outdir = os.path.join(os.path.abspath(workdir), case)
    os.makedirs(outdir, exist_ok=True)
    own_prefix = private_prefix(prefix, outdir)
    command = [wine_run, own_prefix, os.path.abspath(program)]
    desktop = None
    try:
        if case == "no_display":
            case_no_display(command, outdir)
        elif case == "sound":
            desktop = Desktop(outdir)
            case_sound(desktop, command, outdir)
        else:
            scale = 3 if case == "scaled" else 1
            desktop = Desktop(outdir, 2560, 1440) if scale == 3 else Desktop(outdir)
            game = WineGame(desktop, command, outdir, scale)
            shown.play_case({"window": case_window, "play": case_play, "pause": case_pause,
                             "drag": shown.case_drag, "close": case_close, "scaled": case_scaled}[case],
                            desktop, game, outdir)
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        if desktop:
            desktop.close()
        # This prefix's Wine server and services, and nothing else.
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=own_prefix), capture_output=True)
        shutil.rmtree(own_prefix, ignore_errors=True)
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
