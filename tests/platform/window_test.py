#!/usr/bin/env python3
"""The real program as a player meets it: run under Xvfb with openbox, driven by real key and
pointer events, and checked by screenshots taken from the X server and by its exit status.

    window_test.py PROGRAM WORKDIR CASE

Screenshots of each case are kept in WORKDIR/CASE/ for a person to look at."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, Failure, Image, save_png, wait_for  # noqa: E402

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WIDTH, HEIGHT = 480, 320
# Screen parts in window pixels (left, top, width, height), rows counted from the top.
WELL = (300, 10, 150, 300)
HELP_BOX = (35, 125, 135, 115)
QUESTION_BOX = (40, 250, 220, 50)
SCORE_TEXT = (30, 105, 150, 50)
TITLE = (30, 40, 110, 30)
CELL = 15


def bright(p):
    return min(p) > 200


def dark_text(p):
    return max(p) < 110


class Game:
    """One run of the program on a desktop."""

    def __init__(self, desktop, program, outdir, wait_active=True):
        self.desktop, self.outdir = desktop, outdir
        self.shots = 0
        self.process = desktop.spawn([program], os.path.join(outdir, "program.log"))
        self.window = wait_for("the window", lambda: desktop.find_window("Stakmir") if self.alive() else "gone",
                               interval=0.01)
        if self.window == "gone":
            raise Failure(f"the program exited with status {self.process.returncode} before showing its window")
        if wait_active:
            wait_for("the window to be active", lambda: desktop.active_window() == self.window)

    def alive(self):
        return self.process.poll() is None

    def origin(self):
        left, top, _, _ = self.desktop.geometry(self.window)
        return left, top

    def grab(self, name=None):
        """The window's picture, saved under `name` when given."""
        screen = self.desktop.screenshot()
        left, top, _, _ = self.desktop.geometry(self.window)
        image = screen.crop(left, top, WIDTH, HEIGHT)
        if name:
            self.shots += 1
            save_png(image, os.path.join(self.outdir, f"{self.shots:02d}-{name}.png"))
        return image

    def wait_exit(self, timeout=10):
        try:
            return self.process.wait(timeout)
        except Exception:
            raise Failure("the program did not end")

    def stop(self):
        if self.alive():
            self.process.kill()
            self.process.wait()


# Reading the picture.
def region_fraction(image, region, test):
    return image.fraction(*region, test)


def help_shown(image):
    return region_fraction(image, HELP_BOX, bright) > 0.6 and region_fraction(image, HELP_BOX, dark_text) > 0.02


def question_shown(image):
    return region_fraction(image, QUESTION_BOX, lambda p: min(p) > 170) > 0.85


def well_shown(image):
    """The well backdrop fills its place once the intro is over."""
    return region_fraction(image, (WELL[0] + 5, WELL[1] + 5, WELL[2] - 10, WELL[3] - 10),
                            lambda p: p[2] > p[0] + 40) > 0.5


def well_rows(image):
    """For every pixel row of the well, the x positions that differ from the backdrop there."""
    left, top, width, height = WELL
    rows = []
    for y in range(top, top + height):
        pixels = [image.pixel(x, y) for x in range(left, left + width)]
        # The backdrop is what most of the row shows: the median of each channel.
        backdrop = tuple(sorted(p[c] for p in pixels)[len(pixels) // 2] for c in range(3))
        rows.append([left + i for i, p in enumerate(pixels) if sum(abs(a - b) for a, b in zip(p, backdrop)) > 30])
    return rows


def row_groups(rows):
    """Runs of well rows that hold something, top first: (first y, last y, left x, right x, pixels).
    Gaps of up to three rows (the rims of two pieces' cells meeting) do not split a run."""
    groups = []
    for i, xs in enumerate(rows):
        if len(xs) < 3:
            continue
        y = WELL[1] + i
        if groups and y - groups[-1][1] <= 4:
            first, _, left, right, pixels = groups[-1]
            groups[-1] = (first, y, min(left, min(xs)), max(right, max(xs)), pixels + len(xs))
        else:
            groups.append((y, y, min(xs), max(xs), len(xs)))
    return groups


def falling_piece(image):
    """The topmost group of the well when it is free of the floor: the falling piece."""
    groups = row_groups(well_rows(image))
    if not groups or groups[0][1] >= WELL[1] + WELL[3] - 3:
        return None
    return groups[0]


def stack_pixels(image):
    """Pixels of the group that stands on the floor of the well (0 when the floor is bare)."""
    groups = row_groups(well_rows(image))
    if groups and groups[-1][1] >= WELL[1] + WELL[3] - 3:
        return groups[-1][4]
    return 0


def check_icon(desktop, game):
    """The window icon is the 48 by 48 picture the program was built with, the right way up."""
    values = desktop.run("xprop", "-notype", "-f", "_NET_WM_ICON", "32c", "-id", str(game.window), "_NET_WM_ICON")
    numbers = [int(v) for v in values.partition("=")[2].replace(",", " ").split()]
    if numbers[:2] != [48, 48] or len(numbers) < 2 + 48 * 48:
        raise Failure("the window has no 48 by 48 icon")
    picture = os.path.join(SOURCE_DIR, "data", "icons", "stakmir-48.png")
    rgba = subprocess.run(["convert", picture, "-depth", "8", "rgba:-"], capture_output=True).stdout
    if len(rgba) != 48 * 48 * 4:
        raise Failure("cannot read " + picture)
    expected = [(rgba[i + 3] << 24) | (rgba[i] << 16) | (rgba[i + 1] << 8) | rgba[i + 2] for i in range(0, len(rgba), 4)]
    shown = numbers[2:2 + 48 * 48]
    mismatched = sum(1 for a, b in zip(shown, expected) if a != b and (a >> 24) + (b >> 24) > 0)
    if mismatched > 48:
        raise Failure(f"the window icon differs from {picture} in {mismatched} pixels")


# The cases.
def case_window(desktop, game):
    # The intro first, while it runs: the title fades in and the well grows.
    intro = [game.grab("intro-early")]
    while not (help_shown(intro[-1]) and well_shown(intro[-1])):
        intro.append(game.grab())
        if len(intro) > 200:
            raise Failure("the intro did not end")
    settled = wait_start_screen(game)
    game.grab("help")
    if max(image.crop(*TITLE).difference(settled.crop(*TITLE)) for image in intro) < 3:
        raise Failure("the title did not fade in")
    if well_shown(intro[0]):
        raise Failure("the well was there from the start")
    left, top, width, height = desktop.geometry(game.window)
    expected = ((1365 // 2) - 240, (768 // 2) - 160)
    if (width, height) != (WIDTH, HEIGHT):
        raise Failure(f"client area is {width} by {height}")
    if (left, top) != expected:
        raise Failure(f"window at {left}, {top}, expected {expected}")
    extents = desktop.run("xprop", "-id", str(game.window), "_NET_FRAME_EXTENTS")
    if "= 0, 0, 0, 0" not in extents:
        raise Failure("the window manager decorated the window: " + extents.strip())
    if '"Stakmir"' not in desktop.run("xprop", "-id", str(game.window), "WM_NAME"):
        raise Failure("the window is not titled Stakmir")
    check_icon(desktop, game)
    desktop.key("Escape")
    status = game.wait_exit()
    if status != 0:
        raise Failure(f"exit status {status} after Escape")


def wait_start_screen(game):
    """Waits for the end of the intro: the help text and the well, standing still."""
    def settled():
        first = game.grab()
        if not (help_shown(first) and well_shown(first)):
            return None
        time.sleep(0.1)
        second = game.grab()
        return second if second.difference(first) < 0.01 else None
    return wait_for("the help text", settled)


def start_game(desktop, game):
    wait_start_screen(game)
    desktop.key("shift")  # the release of any key starts, also of one the game has no use for
    piece = wait_for("a falling piece", lambda: falling_piece(game.grab()), timeout=5)
    if help_shown(game.grab("started")):
        raise Failure("the help text stayed after the start")
    return piece


def wait_piece_inside(game):
    """Waits until the falling piece is wholly inside the well, below its top edge."""
    return wait_for("the piece to enter the well", lambda: (lambda p: p if p and p[0] > WELL[1] + 8 else None)(
        falling_piece(game.grab())), timeout=8)


def check_shift(desktop, game, press, delta, what):
    before = falling_piece(game.grab())
    press()
    def moved():
        after = falling_piece(game.grab())
        # A pixel of slack for the soft rims of the cells.
        return after if after and abs(after[2] - before[2] - delta) <= 2 and abs(after[3] - before[3] - delta) <= 2 \
            else None
    wait_for(f"{what} to move the piece by {delta}", moved, timeout=3)


def check_turn(desktop, game, press, what):
    before = falling_piece(game.grab())
    size = (before[3] - before[2], before[1] - before[0])
    press()
    def turned():
        # A piece between two rows has soft top and bottom rims: a pixel or two of slack.
        after = falling_piece(game.grab())
        return after if after and abs(after[3] - after[2] - size[1]) <= 3 and abs(after[1] - after[0] - size[0]) <= 3 \
            else None
    wait_for(f"{what} to turn the piece", turned, timeout=3)


def is_square(piece):
    return abs((piece[3] - piece[2]) - (piece[1] - piece[0])) < 4


def check_slam(desktop, game, press, what):
    """The piece joins the stack at once instead of falling for seconds: soon after the key there
    is no piece in the air, or the one in the air is a new one, higher than the slammed one."""
    wait_piece_inside(game)
    piece = falling_piece(game.grab())
    started = time.monotonic()
    press()
    def slammed():
        now = falling_piece(game.grab())
        return now is None or now[0] < piece[0] - 5
    wait_for(f"{what} to slam the piece", slammed, timeout=3, interval=0.02)
    if time.monotonic() - started > 2.5:
        raise Failure(f"{what} did not slam the piece")


def case_play(desktop, game):
    codes = desktop.keypad_codes()

    def key(name):
        return lambda: desktop.key(name)

    def keypad(name, numlock):
        # The keypad key by its raw keycode, so that what it means is up to NumLock alone.
        return lambda: (desktop.set_numlock(numlock), desktop.keycode(codes[name]))

    start_game(desktop, game)
    first = wait_piece_inside(game)
    second = falling_piece(wait_for("the piece to fall", lambda: (lambda i: i if falling_piece(i) and falling_piece(i)[0]
                                                                  > first[0] + 5 else None)(game.grab()), timeout=3))
    game.grab("falling")
    if abs(second[2] - first[2]) > 2:
        raise Failure(f"the piece moved sideways by itself: {first} then {second}")
    shifts = [(key("Left"), -CELL, "Left Arrow"), (key("Right"), CELL, "Right Arrow"),
              (key("4"), -CELL, "digit 4"), (key("6"), CELL, "digit 6"),
              (keypad("KP_4", True), -CELL, "keypad 4 with NumLock on"),
              (keypad("KP_6", True), CELL, "keypad 6 with NumLock on"),
              (keypad("KP_4", False), -CELL, "keypad 4 with NumLock off"),
              (keypad("KP_6", False), CELL, "keypad 6 with NumLock off")]
    for press, delta, what in shifts:
        check_shift(desktop, game, press, delta, what)
    game.grab("moved")
    score_before = game.grab().crop(*SCORE_TEXT)

    # Each piece is slammed once its checks are done, so that none has time to land by itself.
    slams = [(key("Next"), "Page Down"), (key("space"), "space"), (key("3"), "digit 3"),
             (keypad("KP_3", False), "keypad 3 with NumLock off"), (keypad("KP_3", True), "keypad 3 with NumLock on")]

    def slam():
        press, what = slams.pop(0) if slams else (key("space"), "space")
        check_slam(desktop, game, press, what)

    slam()
    # Turning needs a piece that is not square; square ones are slammed away.
    turn_groups = [[(key("Up"), "Up Arrow"), (key("8"), "digit 8"), (key("5"), "digit 5")],
                   [(keypad("KP_5", False), "keypad 5 with NumLock off"),
                    (keypad("KP_8", False), "keypad 8 with NumLock off")],
                   [(keypad("KP_8", True), "keypad 8 with NumLock on"), (keypad("KP_5", True), "keypad 5 with NumLock on")]]
    for group in turn_groups:
        while is_square(wait_piece_inside(game)):
            slam()
        for press, what in group:
            check_turn(desktop, game, press, what)
        game.grab("turned")
        slam()
    while slams:
        slam()
    after = game.grab("slammed")
    if region_fraction(after, SCORE_TEXT, dark_text) < 0.03:
        raise Failure("no score is shown")
    if after.crop(*SCORE_TEXT).difference(score_before) < 1:
        raise Failure("the score did not change")
    desktop.key("q")
    if game.wait_exit() != 0:
        raise Failure("Q did not end the program with status 0")


def case_pause(desktop, game):
    start_game(desktop, game)
    wait_piece_inside(game)
    playing = game.grab("playing")
    other = desktop.spawn(["xmessage", "-geometry", "+20+20", "another program"], os.path.join(game.outdir, "other.log"))
    try:
        wait_for("the other window to take the focus", lambda: desktop.active_window() not in (None, game.window))
        veiled = wait_for("the pause veil", lambda: (lambda i: i if i.brightness() > playing.brightness() + 20 else None)(
            game.grab()), timeout=5)
        game.grab("paused")
        time.sleep(0.6)
        still = game.grab()
        if still.difference(veiled) > 0.01:
            raise Failure("the game went on while its window was inactive")
        before = falling_piece(playing)
    finally:
        other.terminate()
        other.wait()
    desktop.run("xdotool", "windowactivate", "--sync", str(game.window))
    wait_for("the game to be active again", lambda: desktop.active_window() == game.window)
    resumed = wait_for("the game to resume", lambda: (lambda i: i if i.brightness() < playing.brightness() + 5 else None)(
        game.grab()), timeout=5)
    game.grab("resumed")
    wait_for("the piece to fall on", lambda: falling_piece(game.grab())[0] > falling_piece(resumed)[0] + 3, timeout=4)
    if before is None:
        raise Failure("no piece was falling before the pause")
    desktop.key("x")
    if game.wait_exit() != 0:
        raise Failure("X did not end the program with status 0")


def drag(desktop, game, steps, pause):
    """Drags from a point inside the window along `steps` (dx, dy) and checks the window followed."""
    left, top = game.origin()
    x, y = left + 200, top + 100
    desktop.pointer_to(x, y)
    desktop.button(True)
    for dx, dy in steps:
        x, y = x + dx, y + dy
        desktop.pointer_to(x, y)
        time.sleep(pause)
    expected = (left + x - (left + 200), top + y - (top + 100))
    try:
        wait_for(f"the window to reach {expected} (it is at {game.origin()})", lambda: game.origin() == expected,
                 timeout=3)
    finally:
        desktop.button(False)
    time.sleep(0.2)
    if game.origin() != expected:
        raise Failure(f"the window ended at {game.origin()}, expected {expected}")


def case_drag(desktop, game):
    wait_start_screen(game)
    drag(desktop, game, [(1, 0)] * 15 + [(0, 1)] * 15 + [(-1, -1)] * 10, 0.01)  # slow, pixel by pixel
    game.grab("dragged-slowly")
    drag(desktop, game, [(-60, 25), (-60, 25), (40, -70), (90, 10)], 0.0)  # fast, jumps within the window
    drag(desktop, game, [(-330, -150), (500, 200), (-100, 40)], 0.03)  # faster than the window can follow
    game.grab("dragged-fast")
    # The pointer's travel without the button moves nothing.
    left, top = game.origin()
    desktop.pointer_to(left + 50, top + 50)
    desktop.pointer_to(left + 150, top + 90)
    time.sleep(0.3)
    if game.origin() != (left, top):
        raise Failure("the window moved without the button held")
    if not help_shown(game.grab()):
        raise Failure("the picture was lost in the drag")
    desktop.key("F2")
    if game.wait_exit() != 0:
        raise Failure("F2 did not end the program with status 0")


def case_quit_keys(desktop, program, workdir):
    for key in ("Escape", "q", "x", "F2", "F9"):
        game = Game(desktop, program, workdir)
        try:
            wait_for("a first frame", lambda: game.grab().brightness() > 10)
            desktop.key(key)
            status = game.wait_exit()
            if status != 0:
                raise Failure(f"{key} ended the program with status {status}")
        finally:
            game.stop()
    # Closing the window the desktop's way (Alt+F4 makes the window manager ask it to close).
    game = Game(desktop, program, workdir)
    try:
        wait_for("a first frame", lambda: game.grab().brightness() > 10)
        desktop.key("alt+F4")
        status = game.wait_exit()
        if status != 0:
            raise Failure(f"closing the window ended the program with status {status}")
    finally:
        game.stop()


def play_to_the_end(desktop, game):
    start_game(desktop, game)
    def over():
        image = game.grab()
        if question_shown(image):
            return image
        desktop.key("space")
        return None
    wait_for("the play-again question", over, timeout=60, interval=0.15)
    game.grab("game-over")


def case_game_over(desktop, program, workdir):
    game = Game(desktop, program, workdir)
    try:
        play_to_the_end(desktop, game)
        desktop.key("F10")  # a system key: it cannot answer
        time.sleep(0.3)
        if not game.alive() or not question_shown(game.grab()):
            raise Failure("F10 answered the question")
        desktop.key("y")
        wait_for("a new game", lambda: (lambda i: help_shown(i) and stack_pixels(i) == 0)(game.grab()), timeout=5)
        game.grab("new-game")
        play_to_the_end(desktop, game)
        desktop.key("n")
        status = game.wait_exit()
        if status != 0:
            raise Failure(f"N ended the program with status {status}")
    finally:
        game.stop()


def case_no_display(program, workdir):
    for display in (None, ":999"):
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        if display:
            env["DISPLAY"] = display
        result = subprocess.run([program], env=env, capture_output=True, text=True, timeout=30)
        lines = result.stderr.strip().splitlines()
        if result.returncode != 1:
            raise Failure(f"status {result.returncode} without a display")
        if len(lines) != 1 or "display" not in lines[0]:
            raise Failure(f"unclear message without a display: {result.stderr!r}")


def main():
    program, workdir, case = sys.argv[1], sys.argv[2], sys.argv[3]
    outdir = os.path.join(os.path.abspath(workdir), case)
    os.makedirs(outdir, exist_ok=True)
    for old in os.listdir(outdir):  # the pictures of an earlier run
        if old.endswith(".png"):
            os.unlink(os.path.join(outdir, old))
    if case == "no_display":
        case_no_display(program, outdir)
        print("ok")
        return 0
    desktop = Desktop(outdir)
    try:
        if case == "quit_keys":
            case_quit_keys(desktop, program, outdir)
        elif case == "game_over":
            case_game_over(desktop, program, outdir)
        else:
            game = Game(desktop, program, outdir, wait_active=case != "window")
            try:
                {"window": case_window, "play": case_play, "pause": case_pause, "drag": case_drag}[case](desktop, game)
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
        desktop.close()
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
