#!/usr/bin/env python3
"""The Windows program as a player meets it: stakmir.exe under Wine on a private X desktop
(Xvfb with openbox), driven by real key events and checked by screenshots and its exit status.
It reuses the desktop and the picture readers of the Linux window tests.

    wine_window_test.py WINE_RUN PREFIX PROGRAM WORKDIR CASE

Each case runs in its own copy of the Wine prefix PREFIX, so that its Wine server talks to its
own X display. Screenshots of each case are kept in WORKDIR/CASE/."""
import ctypes
import os
import shutil
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "platform"))
import window_test as shown  # noqa: E402
from desktop import SCREEN_HEIGHT, SCREEN_WIDTH, Desktop, Failure, save_png, wait_for  # noqa: E402

WIDTH, HEIGHT = 480, 320
BORDER = 1  # the thin border Wine draws around the client area of the popup window


class WineGame:
    """One run of stakmir.exe under Wine on a desktop."""

    def __init__(self, desktop, command, outdir):
        self.desktop, self.outdir = desktop, outdir
        self.shots = 0
        self.process = desktop.spawn(command, os.path.join(outdir, "program.log"))
        self.window = wait_for("the window", lambda: desktop.find_window("Stakmir") if self.alive() else "gone",
                               timeout=30)
        if self.window == "gone":
            raise Failure(f"the program exited with status {self.process.returncode} before showing its window")
        # Wine's windows are not managed by the window manager here, so it gives them no focus:
        # the keyboard focus goes to the window as a player's click would give it.
        self.focus()

    def focus(self):
        self.desktop.run("xdotool", "windowfocus", "--sync", str(self.window), check=True)

    def alive(self):
        return self.process.poll() is None

    def origin(self):
        left, top, _, _ = self.outer()
        return left, top

    def outer(self):
        return self.desktop.geometry(self.window)

    def grab(self, name=None):
        """The client area's picture, saved under `name` when given."""
        left, top, _, _ = self.outer()
        image = self.desktop.screenshot().crop(left + BORDER, top + BORDER, WIDTH, HEIGHT)
        if name:
            self.shots += 1
            save_png(image, os.path.join(self.outdir, f"{self.shots:02d}-{name}.png"))
        return image

    def wait_exit(self, timeout=15):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end")

    def stop(self):
        if self.alive():
            self.process.kill()
            self.process.wait()


def expect_exit(game, status, what):
    got = game.wait_exit()
    if got != status:
        raise Failure(f"{what} ended the program with status {got}, expected {status}")


def check_icon(desktop, game):
    """Wine shows the class icon as the window's 32 by 32 picture: the one the program was built with."""
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
    left, top, width, height = game.outer()
    expected = (SCREEN_WIDTH // 2 - 240, SCREEN_HEIGHT // 2 - 160)
    if (left, top) != expected:
        raise Failure(f"the window's outer corner is at {left}, {top}, expected {expected}")
    if (width, height) != (WIDTH + 2 * BORDER, HEIGHT + 2 * BORDER):
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
    # F10 is a system key on Windows: it makes no key event, so its release starts nothing.
    desktop.key("F10")
    time.sleep(0.5)
    if not shown.help_shown(game.grab()):
        raise Failure("F10 started the game")
    desktop.key("Escape")
    expect_exit(game, 0, "Escape")


# The picture is read against the help screen's picture (the reference): the same background,
# an empty well and no marker, so whatever differs from it is the game's own doing.
WELL_LEFT, WELL_TOP, WELL_RIGHT, WELL_BOTTOM = 300, 10, 450, 310
# The column marker: a light bar under the well beneath every column the falling piece covers.
# It stands still while the piece falls, and shows every piece equally well.
MARKER_ROWS = (312, 313)


def differs(image, reference, x, y, threshold):
    return sum(abs(a - b) for a, b in zip(image.pixel(x, y), reference.pixel(x, y))) > threshold


def marker_span(image, reference):
    """(left, right) x of the marker, or None."""
    xs = [x for x in range(WELL_LEFT, WELL_RIGHT) if all(differs(image, reference, x, y, 90) for y in MARKER_ROWS)]
    return (min(xs), max(xs) + 1) if xs else None


def falling_piece(image, reference):
    """(top, bottom) of the topmost thing in the well when it is free of the floor and of
    whatever stands on it, else None. Gaps of a few rows (between cells' rims) join a group."""
    groups = []
    for y in range(WELL_TOP, WELL_BOTTOM):
        if sum(1 for x in range(WELL_LEFT, WELL_RIGHT, 2) if differs(image, reference, x, y, 40)) < 2:
            continue
        if groups and y - groups[-1][1] <= 4:
            groups[-1][1] = y
        else:
            groups.append([y, y])
    if not groups or groups[0][1] >= WELL_BOTTOM - 3:
        return None
    return tuple(groups[0])


def start_game(desktop, game):
    """Waits for the help screen and starts the game with a key release; returns the reference."""
    reference = shown.wait_start_screen(game)
    desktop.key("shift")  # the release of any key starts, also of one the game has no use for
    wait_for("the game to start", lambda: marker_span(game.grab(), reference), timeout=5)
    if shown.help_shown(game.grab("started")):
        raise Failure("the help text stayed after the start")
    return reference


def wait_piece_inside(game, reference):
    """Waits until the falling piece is wholly inside the well, below its top edge."""
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
        after = marker_span(game.grab(), reference)
        seen.append(after)
        return after is not None and expect(before, after)
    try:
        wait_for(what, changed, timeout=5)
    except Failure:
        raise Failure(f"{what}: the piece covered x {before[0]} to {before[1]}, then {seen}")


def check_shift(game, reference, press, delta, what):
    check_marker(game, reference, press, lambda b, a: a == (b[0] + delta, b[1] + delta),
                 f"{what} to move the piece by {delta}")


def check_turn(game, reference, press, what):
    """A turn of a piece that is not square changes how many columns it covers."""
    check_marker(game, reference, press, lambda b, a: a[1] - a[0] != b[1] - b[0], f"{what} to turn the piece")


def case_play(desktop, game):
    codes = desktop.keypad_codes()
    reference = start_game(desktop, game)
    wait_piece_inside(game, reference)
    game.grab("falling")
    desktop.set_numlock(True)
    shifts = [(lambda: desktop.key("Left"), -shown.CELL, "Left Arrow"),
              (lambda: desktop.key("Right"), shown.CELL, "Right Arrow"),
              (lambda: desktop.keycode(codes["KP_4"]), -shown.CELL, "keypad 4 with NumLock on"),
              (lambda: desktop.keycode(codes["KP_6"]), shown.CELL, "keypad 6 with NumLock on")]
    for press, delta, what in shifts:
        check_shift(game, reference, press, delta, what)
    desktop.set_numlock(False)
    check_shift(game, reference, lambda: desktop.keycode(codes["KP_4"]), -shown.CELL, "keypad 4 with NumLock off")
    check_shift(game, reference, lambda: desktop.keycode(codes["KP_6"]), shown.CELL, "keypad 6 with NumLock off")
    game.grab("moved")
    # Only a piece that covers three or four columns is surely not the square one.
    while (lambda span: span is None or span[1] - span[0] <= 2 * shown.CELL)(marker_span(game.grab(), reference)):
        check_slam(game, reference, lambda: desktop.key("space"), "space")
    # Once the new piece is inside the well, and before it lands.
    wait_piece_inside(game, reference)
    check_turn(game, reference, lambda: desktop.key("Up"), "Up Arrow")
    game.grab("turned")
    desktop.set_numlock(True)
    check_slam(game, reference, lambda: desktop.keycode(codes["KP_3"]), "keypad 3 with NumLock on")
    game.grab("slammed")
    desktop.key("q")
    expect_exit(game, 0, "Q")


def case_pause(desktop, game):
    reference = start_game(desktop, game)
    wait_piece_inside(game, reference)
    playing = game.grab("playing")
    other = desktop.spawn(["xmessage", "-geometry", "+20+20", "another program"], os.path.join(game.outdir, "other.log"))
    try:
        # The veil lightens the picture by a quarter towards white.
        veiled = wait_for("the pause veil", lambda: (lambda i: i if i.brightness() > playing.brightness() + 15 else None)(
            game.grab()), timeout=5)
        game.grab("paused")
        time.sleep(0.6)
        if game.grab().difference(veiled) > 0.01:
            raise Failure("the game went on while its window was inactive")
    finally:
        other.terminate()
        other.wait()
    game.focus()
    resumed = wait_for("the game to resume", lambda: (lambda i: i if i.brightness() < playing.brightness() + 5 else None)(
        game.grab()), timeout=5)
    game.grab("resumed")
    top = falling_piece(resumed, reference)
    if top is None:
        raise Failure("no piece is falling after the pause")
    wait_for("the piece to fall on", lambda: (lambda p: p and p[0] > top[0] + 3)(falling_piece(game.grab(), reference)),
             timeout=5)
    desktop.key("x")
    expect_exit(game, 0, "X")


def case_drag(desktop, game):
    shown.wait_start_screen(game)
    shown.drag(desktop, game, [(1, 0)] * 15 + [(0, 1)] * 15 + [(-1, -1)] * 10, 0.01)  # slow, pixel by pixel
    game.grab("dragged-slowly")
    shown.drag(desktop, game, [(-60, 25), (-60, 25), (40, -70), (90, 10)], 0.0)  # jumps within the window
    shown.drag(desktop, game, [(-330, -150), (500, 200), (-100, 40)], 0.03)  # faster than the window follows
    game.grab("dragged-fast")
    left, top = game.origin()
    desktop.pointer_to(left + 50, top + 50)
    desktop.pointer_to(left + 150, top + 90)
    time.sleep(0.3)
    if game.origin() != (left, top):
        raise Failure("the window moved without the button held")
    if not shown.help_shown(game.grab()):
        raise Failure("the picture was lost in the drag")
    desktop.key("F2")
    expect_exit(game, 0, "F2")


class ClientMessage(ctypes.Structure):
    """XClientMessageEvent, padded to the size of an XEvent."""
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]


def ask_to_close(desktop, window):
    """Sends the window the desktop's close request (WM_DELETE_WINDOW), as a title bar's close button would."""
    xlib, connection = desktop._xlib, desktop._connection
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    event = ClientMessage(type=33, window=window, message_type=xlib.XInternAtom(connection, b"WM_PROTOCOLS", 0),
                          format=32)
    event.data[0] = xlib.XInternAtom(connection, b"WM_DELETE_WINDOW", 0)
    xlib.XSendEvent(connection, window, 0, 0, ctypes.byref(event))
    xlib.XFlush(connection)


def case_close(desktop, game):
    shown.wait_start_screen(game)
    ask_to_close(desktop, game.window)
    expect_exit(game, 0, "a close request")


def case_no_display(command, outdir):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    result = subprocess.run(command, env=env, capture_output=True, text=True, timeout=60)
    with open(os.path.join(outdir, "program.log"), "w") as log:
        log.write(result.stderr)
    lines = result.stderr.strip().splitlines()
    if result.returncode != 1:
        raise Failure(f"status {result.returncode} without a display")
    if lines != ["stakmir: could not create the window"]:
        raise Failure(f"unclear message without a window: {result.stderr!r}")


def copy_prefix(prefix, outdir):
    """A private copy of the prepared prefix, so that this case's Wine server is its own."""
    copy = os.path.join(outdir, "wineprefix")
    shutil.rmtree(copy, ignore_errors=True)
    if os.path.isdir(prefix):
        shutil.copytree(prefix, copy, symlinks=True, ignore=shutil.ignore_patterns(".stakmir-lock"))
    return copy  # without a prepared prefix, wine-run.sh makes this one from scratch


def main():
    wine_run, prefix, program, workdir, case = sys.argv[1:6]
    outdir = os.path.join(os.path.abspath(workdir), case)
    os.makedirs(outdir, exist_ok=True)
    own_prefix = copy_prefix(os.path.abspath(prefix), outdir)
    command = [wine_run, own_prefix, os.path.abspath(program)]
    desktop = None
    try:
        if case == "no_display":
            case_no_display(command, outdir)
        else:
            desktop = Desktop(outdir)
            game = WineGame(desktop, command, outdir)
            try:
                {"window": case_window, "play": case_play, "pause": case_pause, "drag": case_drag,
                 "close": case_close}[case](desktop, game)
            except Failure:
                if game.alive():
                    desktop.screenshot(os.path.join(outdir, "failure-screen.png"))
                raise
            finally:
                game.stop()
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
