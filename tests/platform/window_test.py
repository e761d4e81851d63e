#!/usr/bin/env python3
"""The real program as a player meets it: run under Xvfb with openbox, driven by real key and
pointer events, and checked by screenshots taken from the X server and by its exit status.

    window_test.py PROGRAM WORKDIR CASE [REFUSING_ALLOCATOR]

Screenshots of each case are kept in WORKDIR/CASE/ for a person to look at."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import SCREEN_HEIGHT, SCREEN_WIDTH, Desktop, Failure, Image, save_png, wait_for  # noqa: E402

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WIDTH, HEIGHT = 480, 320
# Screen parts in window pixels (left, top, width, height), rows counted from the top.
WELL = (300, 10, 150, 300)
HELP_BOX = (35, 125, 135, 115)
QUESTION_BOX = (40, 250, 220, 50)
SCORE_TEXT = (30, 105, 150, 50)
TITLE = (30, 40, 110, 30)
CELL = 15
NO_SOUND = "stakmir: playing without sound"  # the one line of a machine without a sound device


def bright(p):
    return min(p) > 200


def dark_text(p):
    return max(p) < 110


class Game:
    """One run of the program on a desktop."""

    def __init__(self, desktop, program, outdir, wait_active=True, env=None, scale=1):
        self.desktop, self.outdir, self.scale = desktop, outdir, scale
        self.shots = 0
        self.process = desktop.spawn([program], os.path.join(outdir, "program.log"), env)
        self.window = wait_for("the window", lambda: desktop.find_window("Stakmir") if self.alive() else "gone",
                               interval=0.01)
        if self.window == "gone":
            raise Failure(f"the program exited with status {self.process.returncode} before showing its window")
        if wait_active:
            wait_for("the window to be active", lambda: desktop.active_window() == self.window)

    def alive(self):
        return self.process.poll() is None

    def origin(self):
        return self.desktop.geometry(self.window)[:2]

    def grab(self, name=None, full=False):
        """The window's picture in game pixels (in screen pixels when `full`), saved under `name`
        when given."""
        screen = self.desktop.screenshot()
        left, top = self.origin()
        image = screen.crop(left, top, WIDTH * self.scale, HEIGHT * self.scale)
        if self.scale > 1 and not full:
            image = image.sample(self.scale)
        if name:
            self.shots += 1
            save_png(image, os.path.join(self.outdir, f"{self.shots:02d}-{name}.png"))
        return image

    def expect_exit(self, what):
        try:
            status = self.process.wait(10)
        except Exception:
            raise Failure("the program did not end")
        if status != 0:
            raise Failure(f"{what} ended the program with status {status}")

    def stop(self):
        if self.alive():
            self.process.kill()
            self.process.wait()


# Reading the picture.
def grab_when(game, what, test, timeout=10.0):
    """Grabs the window until `test` holds for its picture, which is returned."""
    return wait_for(what, lambda: (lambda image: image if test(image) else None)(game.grab()), timeout)


def help_shown(image):
    return image.fraction(*HELP_BOX, bright) > 0.6 and image.fraction(*HELP_BOX, dark_text) > 0.02


def question_shown(image):
    return image.fraction(*QUESTION_BOX, lambda p: min(p) > 170) > 0.85


def well_shown(image):
    """The well backdrop fills its place once the intro is over."""
    return image.fraction(WELL[0] + 5, WELL[1] + 5, WELL[2] - 10, WELL[3] - 10, lambda p: p[2] > p[0] + 40) > 0.5


def row_groups(image):
    """Runs of well rows that differ from the backdrop, top first: (first y, last y, left x, right x,
    pixels). Gaps of up to three rows (the rims of two pieces' cells meeting) do not split a run."""
    left, top, width, height = WELL
    groups = []
    for y in range(top, top + height):
        pixels = [image.pixel(x, y) for x in range(left, left + width)]
        # The backdrop is what most of the row shows: the median of each channel.
        backdrop = tuple(sorted(p[c] for p in pixels)[len(pixels) // 2] for c in range(3))
        xs = [left + i for i, p in enumerate(pixels) if sum(abs(a - b) for a, b in zip(p, backdrop)) > 30]
        if len(xs) < 3:
            continue
        if groups and y - groups[-1][1] <= 4:
            first, _, low, high, count = groups[-1]
            groups[-1] = (first, y, min(low, min(xs)), max(high, max(xs)), count + len(xs))
        else:
            groups.append((y, y, min(xs), max(xs), len(xs)))
    return groups


def on_floor(group):
    return group[1] >= WELL[1] + WELL[3] - 3


def falling_piece(image):
    """The topmost group of the well when it is free of the floor: the falling piece."""
    groups = row_groups(image)
    return groups[0] if groups and not on_floor(groups[0]) else None


def stack_pixels(image):
    """Pixels of the group that stands on the floor of the well (0 when the floor is bare)."""
    groups = row_groups(image)
    return groups[-1][4] if groups and on_floor(groups[-1]) else 0


def piece_when(game, what, test, timeout=3.0):
    """Waits for a falling piece for which `test` holds, and returns it."""
    return wait_for(what, lambda: (lambda p: p if p and test(p) else None)(falling_piece(game.grab())), timeout)


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
    mismatched = sum(1 for a, b in zip(numbers[2:], expected) if a != b and (a >> 24) + (b >> 24) > 0)
    if mismatched > 48:
        raise Failure(f"the window icon differs from {picture} in {mismatched} pixels")


# The cases.
def case_window(desktop, game):
    """Size, centred place, no frame, title and icon; the intro (title fading in, well growing), then the help."""
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
    geometry = desktop.geometry(game.window)
    if geometry != ((1365 // 2) - 240, (768 // 2) - 160, WIDTH, HEIGHT):
        raise Failure(f"window at {geometry}, expected {WIDTH} by {HEIGHT} in the centre")
    extents = desktop.run("xprop", "-id", str(game.window), "_NET_FRAME_EXTENTS")
    if "= 0, 0, 0, 0" not in extents:
        raise Failure("the window manager decorated the window: " + extents.strip())
    if '"Stakmir"' not in desktop.run("xprop", "-id", str(game.window), "WM_NAME"):
        raise Failure("the window is not titled Stakmir")
    check_icon(desktop, game)
    desktop.key("Escape")
    game.expect_exit("Escape")


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
    wait_for("a falling piece", lambda: falling_piece(game.grab()), timeout=5)
    if help_shown(game.grab("started")):
        raise Failure("the help text stayed after the start")


def wait_piece_inside(game):
    """Waits until the falling piece is wholly inside the well, below its top edge."""
    return piece_when(game, "the piece to enter the well", lambda p: p[0] > WELL[1] + 8, timeout=8)


def check_shift(game, press, delta, what):
    before = falling_piece(game.grab())
    press(what)
    # A pixel of slack for the soft rims of the cells.
    piece_when(game, f"{what} to move the piece by {delta}",
               lambda p: abs(p[2] - before[2] - delta) <= 2 and abs(p[3] - before[3] - delta) <= 2)


def check_turn(game, press, what):
    before = falling_piece(game.grab())
    press(what)
    # Width and height swap; a piece between two rows has soft rims: a pixel or two of slack.
    piece_when(game, f"{what} to turn the piece", lambda p: abs(p[3] - p[2] - (before[1] - before[0])) <= 3
               and abs(p[1] - p[0] - (before[3] - before[2])) <= 3)


def is_square(piece):
    return abs((piece[3] - piece[2]) - (piece[1] - piece[0])) < 4


def check_slam(game, press, what):
    """The piece joins the stack at once instead of falling for seconds: soon after the key there
    is no piece in the air, or the one in the air is a new one, higher than the slammed one."""
    wait_piece_inside(game)
    piece = falling_piece(game.grab())
    started = time.monotonic()
    press(what)
    wait_for(f"{what} to slam the piece", lambda: (lambda now: now is None or now[0] < piece[0] - 5)(
        falling_piece(game.grab())), timeout=3, interval=0.02)
    if time.monotonic() - started > 2.5:
        raise Failure(f"{what} did not slam the piece")


def case_play(desktop, game):
    """The key release starts; arrows, digits and the keypad (NumLock on and off) move, turn and slam;
    the score changes."""
    codes = desktop.keypad_codes()

    def press(name):
        """A key by its xdotool name, or 'KP_4 on' / 'KP_4 off': the keypad key by its raw keycode
        with NumLock so, so that what it means is up to NumLock alone."""
        if name.startswith("KP_"):
            key, numlock = name.split()
            desktop.set_numlock(numlock == "on")
            desktop.keycode(codes[key])
        else:
            desktop.key(name)

    start_game(desktop, game)
    first = wait_piece_inside(game)
    second = piece_when(game, "the piece to fall", lambda p: p[0] > first[0] + 5)
    game.grab("falling")
    if abs(second[2] - first[2]) > 2:
        raise Failure(f"the piece moved sideways by itself: {first} then {second}")
    for name, delta in [("Left", -CELL), ("Right", CELL), ("4", -CELL), ("6", CELL), ("KP_4 on", -CELL),
                        ("KP_6 on", CELL), ("KP_4 off", -CELL), ("KP_6 off", CELL)]:
        check_shift(game, press, delta, name)
    game.grab("moved")
    score_before = game.grab().crop(*SCORE_TEXT)

    # Each piece is slammed once its checks are done, so that none has time to land by itself
    # (Next is Page Down).
    slams = ["Next", "space", "3", "KP_3 off", "KP_3 on"]

    def slam():
        check_slam(game, press, slams.pop(0) if slams else "space")

    slam()
    # Turning needs a piece that is not square; square ones are slammed away.
    for group in [["Up", "8", "5"], ["KP_5 off", "KP_8 off"], ["KP_8 on", "KP_5 on"]]:
        while is_square(wait_piece_inside(game)):
            slam()
        for name in group:
            check_turn(game, press, name)
        game.grab("turned")
        slam()
    while slams:
        slam()
    after = game.grab("slammed")
    if after.fraction(*SCORE_TEXT, dark_text) < 0.03:
        raise Failure("no score is shown")
    if after.crop(*SCORE_TEXT).difference(score_before) < 1:
        raise Failure("the score did not change")
    desktop.key("q")
    game.expect_exit("Q")


def focus_away(desktop, game):
    """Opens another window and waits for it to take the focus; returns its process."""
    other = desktop.spawn(["xmessage", "-geometry", "+20+20", "another program"], os.path.join(game.outdir, "other.log"))
    wait_for("the other window to take the focus", lambda: desktop.active_window() not in (None, game.window))
    return other


def focus_back(desktop, game, other):
    """Closes the other window and gives the game's window the focus again."""
    other.terminate()
    other.wait()
    desktop.run("xdotool", "windowactivate", "--sync", str(game.window))
    wait_for("the game to be active again", lambda: desktop.active_window() == game.window)


def expect_still(game, veiled, what):
    """The paused picture stays as it is for a while."""
    time.sleep(0.6)
    if game.grab().difference(veiled) > 0.01:
        raise Failure(what)


def expect_resumed(game, playing):
    """The veil goes and the piece falls on."""
    resumed = grab_when(game, "the game to resume", lambda i: i.brightness() < playing.brightness() + 5, timeout=5)
    game.grab("resumed")
    top = falling_piece(resumed)[0]
    piece_when(game, "the piece to fall on", lambda p: p[0] > top + 3, timeout=4)


def case_pause(desktop, game):
    """Another window taking the focus veils and stops the game; the focus back resumes it. P
    pauses the same way, the focus going and coming back leaves it paused, and Pause goes on."""
    start_game(desktop, game)
    wait_piece_inside(game)
    playing = game.grab("playing")
    if falling_piece(playing) is None:
        raise Failure("no piece was falling before the pause")
    other = focus_away(desktop, game)
    try:
        veiled = grab_when(game, "the pause veil", lambda i: i.brightness() > playing.brightness() + 20, timeout=5)
        game.grab("paused")
        expect_still(game, veiled, "the game went on while its window was inactive")
    finally:
        focus_back(desktop, game, other)
    expect_resumed(game, playing)

    playing = game.grab()
    desktop.key("p")
    veiled = grab_when(game, "the pause veil after P", lambda i: i.brightness() > playing.brightness() + 20, timeout=5)
    game.grab("paused-by-p")
    focus_back(desktop, game, focus_away(desktop, game))
    expect_still(game, veiled, "the window's focus coming back ended the pause of P")
    desktop.key("Pause")
    expect_resumed(game, playing)
    desktop.key("x")
    game.expect_exit("X")


def drag(desktop, game, steps, pause):
    """Drags from a point inside the window along `steps` (dx, dy) and checks the window followed."""
    left, top = game.origin()
    x, y = left + 200, top + 100
    desktop.pointer_to(x, y)
    desktop.button(True)
    for step_x, step_y in steps:
        x, y = x + step_x, y + step_y
        desktop.pointer_to(x, y)
        time.sleep(pause)
    expected = (x - 200, y - 100)
    try:
        wait_for(f"the window to reach {expected} (it is at {game.origin()})", lambda: game.origin() == expected,
                 timeout=3)
    finally:
        desktop.button(False)
    time.sleep(0.2)
    if game.origin() != expected:
        raise Failure(f"the window ended at {game.origin()}, expected {expected}")


def case_drag(desktop, game):
    """The window follows a drag, slow or fast, also beyond the screen's edges; the pointer alone moves nothing."""
    wait_start_screen(game)
    drag(desktop, game, [(1, 0)] * 15 + [(0, 1)] * 15 + [(-1, -1)] * 10, 0.01)  # slow, pixel by pixel
    game.grab("dragged-slowly")
    drag(desktop, game, [(-60, 25), (-60, 25), (40, -70), (90, 10)], 0.0)  # fast, jumps within the window
    drag(desktop, game, [(-330, -150), (500, 200), (-100, 40)], 0.03)  # faster than the window can follow
    game.grab("dragged-fast")
    left, top = game.origin()
    desktop.pointer_to(left + 50, top + 50)
    desktop.pointer_to(left + 150, top + 90)
    time.sleep(0.3)
    if game.origin() != (left, top):
        raise Failure("the window moved without the button held")
    if not help_shown(game.grab()):
        raise Failure("the picture was lost in the drag")
    desktop.key("F2")
    game.expect_exit("F2")


def case_quit_keys(desktop, program, workdir):
    """Each quit key, and closing the window the desktop's way (Alt+F4 makes the window manager ask), exit 0."""
    for key in ("Escape", "q", "x", "F2", "F9", "alt+F4"):
        game = Game(desktop, program, workdir)
        try:
            wait_for("a first frame", lambda: game.grab().brightness() > 10)
            desktop.key(key)
            game.expect_exit(key)
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
    """F10 (a system key) cannot answer the question; Y plays again from an empty well; N quits."""
    game = Game(desktop, program, workdir)
    try:
        play_to_the_end(desktop, game)
        desktop.key("F10")
        time.sleep(0.3)
        if not game.alive() or not question_shown(game.grab()):
            raise Failure("F10 answered the question")
        desktop.key("y")
        grab_when(game, "a new game", lambda i: help_shown(i) and stack_pixels(i) == 0, timeout=5)
        game.grab("new-game")
        play_to_the_end(desktop, game)
        desktop.key("n")
        game.expect_exit("N")
    finally:
        game.stop()


def case_no_display(program, workdir):
    """Without a display, or with one that cannot be reached: one line of explanation and status 1."""
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


def case_display_lost(desktop, game):
    """The X server going away mid-game: one line of explanation and status 1, not a hang."""
    wait_for("a first frame", lambda: game.grab().brightness() > 10)
    desktop._xlib.XCloseDisplay(desktop._connection)  # the test's own connection would die too
    desktop._connection = None
    desktop.processes[0].terminate()  # Xvfb
    try:
        status = game.process.wait(10)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end when its display went away")
    with open(os.path.join(game.outdir, "program.log"), errors="replace") as log:
        said = log.read()
    if status != 1 or "lost the connection to the display" not in said:
        raise Failure(f"status {status} and {said!r} when the display went away")


def one_line_and_status_1(what, status, said, expected):
    """The program ended with status 1 and exactly one line on stderr that contains `expected`."""
    lines = said.strip().splitlines()
    if status != 1 or len(lines) != 1 or expected not in lines[0]:
        raise Failure(f"{what}: status {status} and {said!r}, not one line about {expected!r} and status 1")


def case_failures(desktop, program, refusing_allocator):
    """Start-up failures after the display is open: no OpenGL driver, and out of memory for the
    game record or for the pictures. Each is one line and status 1."""
    runs = [("no OpenGL driver", {"LIBGL_DRIVERS_PATH": "/nonexistent"}, "cannot create the OpenGL context")]
    if refusing_allocator:  # not under the sanitizers, whose allocator cannot be replaced this way
        runs += [(f"no memory for the {what}", {"LD_PRELOAD": refusing_allocator, "STAKMIR_TEST_REFUSE": what},
                  f"out of memory {expected}") for what, expected in
                 (("record", "for the game record"), ("pictures", "while decoding the pictures"))]
    for what, env, expected in runs:
        result = subprocess.run([program], env=dict(desktop.env, **env), capture_output=True, text=True, timeout=60)
        one_line_and_status_1(what, result.returncode, result.stderr, expected)


def case_window_destroyed(desktop, game):
    """Another program destroying the game's window: one line and status 1, not an X error report."""
    wait_for("a first frame", lambda: game.grab().brightness() > 10)
    desktop.run("xdotool", "windowclose", str(game.window), check=True)
    try:
        status = game.process.wait(10)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end when its window was destroyed")
    with open(os.path.join(game.outdir, "program.log"), errors="replace") as log:
        said = "".join(line for line in log if not line.startswith(NO_SOUND))
    one_line_and_status_1("window destroyed", status, said, "window was destroyed by another program")


def reference_picture(name):
    """A reference frame of the picture tests, as an Image."""
    path = os.path.join(SOURCE_DIR, "tests", "render", "reference", name)
    rgb = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True).stdout
    if len(rgb) != 3 * WIDTH * HEIGHT:
        raise Failure("cannot read " + path)
    return Image(WIDTH, HEIGHT, rgb)


def expect_enlarged(big, small, scale, what):
    """`big` is `small` with every pixel a `scale` by `scale` block, exactly."""
    expected = small.enlarged(scale).data
    if big.data != expected:
        wrong = sum(1 for i in range(0, len(big.data), 3) if big.data[i:i + 3] != expected[i:i + 3])
        raise Failure(f"{what}: {wrong} pixels are not the picture enlarged {scale} times")


def case_scaled(desktop, program, outdir):
    """On a 1920 by 1080 screen the window opens centred at 2 times 480 by 320, and its help screen
    is exactly that of a window at STAKMIR_SCALE=1 with every pixel a 2 by 2 block; within 8
    levels per channel of the reference picture (the X server's Mesa decodes the compressed
    backgrounds itself, the reference was drawn from the game's own decoding)."""
    one = Game(desktop, program, outdir, env={"STAKMIR_SCALE": "1"})
    try:
        if desktop.geometry(one.window) != (720, 380, WIDTH, HEIGHT):
            raise Failure(f"STAKMIR_SCALE=1: the window is at {desktop.geometry(one.window)}")
        small = wait_start_screen(one)
        one.grab("help-1x")
        desktop.key("Escape")
        one.expect_exit("Escape")
    finally:
        one.stop()
    game = Game(desktop, program, outdir, scale=2)
    try:
        if desktop.geometry(game.window) != (480, 220, 2 * WIDTH, 2 * HEIGHT):
            raise Failure(f"the window is at {desktop.geometry(game.window)}, not 960 by 640 in the centre")
        wait_start_screen(game)
        big = game.grab("help-2x", full=True)
        expect_enlarged(big, small, 2, "the 2x window")
        difference = big.largest_difference(reference_picture("wait-start-band0.png").enlarged(2))
        if difference > 8:
            raise Failure(f"the 2x window differs from the reference enlarged by up to {difference} levels")
        desktop.key("Escape")
        game.expect_exit("Escape")
    finally:
        game.stop()


def case_scale_setting(desktop, program, outdir):
    """STAKMIR_SCALE=2 makes a centred 960 by 640 window of 2 by 2 blocks that drags in screen
    pixels; 16, too large for the screen, opens at 2 and says so in one line; a setting that is not
    a whole number from 1 to 16 is one line and status 1."""
    game = Game(desktop, program, outdir, env={"STAKMIR_SCALE": "2"}, scale=2)
    try:
        expected = (SCREEN_WIDTH // 2 - 480, SCREEN_HEIGHT // 2 - 320, 2 * WIDTH, 2 * HEIGHT)
        if desktop.geometry(game.window) != expected:
            raise Failure(f"STAKMIR_SCALE=2: the window is at {desktop.geometry(game.window)}, not {expected}")
        wait_start_screen(game)
        full = game.grab("help-2x", full=True)
        expect_enlarged(full, full.sample(2), 2, "the 2x window")
        drag(desktop, game, [(-60, 25), (-60, 25), (40, -70), (90, 10)], 0.0)
        desktop.key("Escape")
        game.expect_exit("Escape")
    finally:
        game.stop()
    big = Game(desktop, program, outdir, env={"STAKMIR_SCALE": "16"}, scale=2)
    try:
        if desktop.geometry(big.window) != expected:
            raise Failure(f"STAKMIR_SCALE=16: the window is at {desktop.geometry(big.window)}, not {expected}")
        desktop.key("Escape")
        big.expect_exit("Escape")
        with open(os.path.join(outdir, "program.log"), errors="replace") as log:
            said = [line for line in log.read().strip().splitlines() if not line.startswith(NO_SOUND)]
        if said != [f"stakmir: STAKMIR_SCALE=16 does not fit on the {SCREEN_WIDTH} by {SCREEN_HEIGHT} screen: "
                    "the window opens at 2 (960 by 640)"]:
            raise Failure(f"STAKMIR_SCALE=16 said {said}")
    finally:
        big.stop()
    for bad in ("0", "17", "two", "2.5", "-1"):
        result = subprocess.run([program], env=dict(desktop.env, STAKMIR_SCALE=bad), capture_output=True, text=True,
                                timeout=30)
        one_line_and_status_1(f"STAKMIR_SCALE={bad}", result.returncode, result.stderr,
                              "STAKMIR_SCALE must be a whole number from 1 to 16")


def fullscreen_picture(desktop, name=None):
    """The screen in fullscreen: the game 2 times enlarged in the centre (checked), on black
    (checked); returns the game's picture in game pixels."""
    screen = desktop.screenshot(name)
    left, top = (SCREEN_WIDTH - 2 * WIDTH) // 2, (SCREEN_HEIGHT - 2 * HEIGHT) // 2
    picture = screen.crop(left, top, 2 * WIDTH, 2 * HEIGHT)
    small = picture.sample(2)
    expect_enlarged(picture, small, 2, "fullscreen")
    for band in ((0, 0, left, SCREEN_HEIGHT), (left + 2 * WIDTH, 0, SCREEN_WIDTH - left - 2 * WIDTH, SCREEN_HEIGHT),
                 (left, 0, 2 * WIDTH, top), (left, top + 2 * HEIGHT, 2 * WIDTH, SCREEN_HEIGHT - top - 2 * HEIGHT)):
        if screen.fraction(*band, lambda p: max(p) == 0) < 1:
            raise Failure(f"fullscreen: the screen around the game is not black at {band}")
    return small


def case_fullscreen(desktop, game):
    """Alt+Enter: the window covers the screen with the game 2 times enlarged in the centre on
    black, the game goes on and the window does not drag; F11: back at its place and size; Escape
    from fullscreen ends with 0 and leaves the screen as it was."""
    def screen_size():
        return desktop.run("xdpyinfo").split("dimensions:")[1].split()[0]
    size = screen_size()
    start_game(desktop, game)
    wait_piece_inside(game)
    place = desktop.geometry(game.window)
    desktop.key("alt+Return")
    wait_for("fullscreen", lambda: desktop.geometry(game.window) == (0, 0, SCREEN_WIDTH, SCREEN_HEIGHT))
    def settled_picture():  # the first frame may come before the window system's new size
        try:
            return fullscreen_picture(desktop, os.path.join(game.outdir, "fullscreen.png"))
        except Failure:
            return None
    first = falling_piece(wait_for("the picture in fullscreen", settled_picture, timeout=3))
    wait_for("the piece to fall on in fullscreen", lambda: (lambda p: p and first and p[0] > first[0] + 3)(
        falling_piece(fullscreen_picture(desktop))), timeout=4)
    if desktop.active_window() != game.window:
        raise Failure("the window lost the focus going fullscreen")
    desktop.pointer_to(400, 300)
    desktop.button(True)
    desktop.pointer_to(300, 200)
    time.sleep(0.3)
    desktop.button(False)
    if desktop.geometry(game.window) != (0, 0, SCREEN_WIDTH, SCREEN_HEIGHT):
        raise Failure("the fullscreen window was dragged")
    desktop.key("F11")
    wait_for(f"the window back at {place}", lambda: desktop.geometry(game.window) == place)
    back = game.grab("back")
    if falling_piece(back) is None or help_shown(back):
        raise Failure("the game is not going on after fullscreen")
    desktop.key("F11")
    wait_for("fullscreen again", lambda: desktop.geometry(game.window) == (0, 0, SCREEN_WIDTH, SCREEN_HEIGHT))
    desktop.key("Escape")
    game.expect_exit("Escape in fullscreen")
    if screen_size() != size:
        raise Failure(f"the screen was {size} and is now {screen_size()}")


def play_case(case, desktop, game, outdir):
    """Runs one case on a started game; on failure keeps a picture of the whole screen."""
    try:
        case(desktop, game)
    except Failure:
        if game.alive():
            desktop.screenshot(os.path.join(outdir, "failure-screen.png"))
        raise
    finally:
        game.stop()


def main():
    program, workdir, case = sys.argv[1], sys.argv[2], sys.argv[3]
    outdir = os.path.join(os.path.abspath(workdir), case)
    os.makedirs(outdir, exist_ok=True)
    for old in os.listdir(outdir):  # the pictures of an earlier run
        if old.endswith(".png"):
            os.unlink(os.path.join(outdir, old))
    desktop = None
    try:
        if case == "no_display":
            case_no_display(program, outdir)
        elif case in ("quit_keys", "game_over", "scale_setting"):
            desktop = Desktop(outdir)
            {"quit_keys": case_quit_keys, "game_over": case_game_over,
             "scale_setting": case_scale_setting}[case](desktop, program, outdir)
        elif case == "scaled":
            desktop = Desktop(outdir, 1920, 1080)
            case_scaled(desktop, program, outdir)
        elif case == "failures":
            desktop = Desktop(outdir)
            case_failures(desktop, program, sys.argv[4] if len(sys.argv) > 4 else None)
        else:
            desktop = Desktop(outdir)
            game = Game(desktop, program, outdir, wait_active=case != "window")
            play_case({"window": case_window, "play": case_play, "pause": case_pause, "drag": case_drag,
                       "fullscreen": case_fullscreen, "display_lost": case_display_lost,
                       "window_destroyed": case_window_destroyed}[case], desktop, game, outdir)
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        if desktop:
            desktop.close()
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
