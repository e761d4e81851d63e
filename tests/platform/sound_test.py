#!/usr/bin/env python3
"""The real program heard through a real sound server: a private PulseAudio server whose one sink
plays into nothing is recorded from its monitor while the game runs under Xvfb with openbox,
driven by real keys. A start and a slam are heard; M silences a slam and brings the sound back;
the end of a game stops when its window is deactivated and does not play again when it is active
again. Without a sound server the game says so in one line and plays.

    sound_test.py PROGRAM WORKDIR

Screenshots go to WORKDIR/sound/."""
import os
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import window_test as shown  # noqa: E402
from desktop import Desktop, Failure, SoundServer, wait_for  # noqa: E402

RATE = SoundServer.RATE
LOUD = 1000  # a peak above this (of 32767) is a sound; the game's silence is exactly 0


def seconds_sounding(samples):
    return sum(1 for s in samples if s != 0) / RATE


def check_heard(samples, what):
    peak = max(abs(s) for s in samples)
    if peak < LOUD:
        raise Failure(f"{what} was not heard (peak {peak})")


def check_no_device(desktop, program, outdir):
    """No sound server to be reached: one line on stderr, and the game plays."""
    game = shown.Game(desktop, program, outdir, env={"SDL_AUDIODRIVER": "pulseaudio", "PULSE_SERVER": "unix:/nonexistent"})
    try:
        shown.start_game(desktop, game)
        shown.check_slam(game, desktop.key, "space")
        desktop.key("Escape")
        game.expect_exit("Escape without sound")
    finally:
        game.stop()
    with open(os.path.join(outdir, "program.log"), errors="replace") as log:
        lines = log.read().splitlines()
    if len(lines) != 1 or not lines[0].startswith(shown.NO_SOUND):
        raise Failure(f"without a sound server the game said {lines!r}, not one line that it plays without sound")


def slam(desktop, game, server):
    """Slams the next piece once it is inside the well; returns a second of sound from the key on."""
    marks = []

    def press(key):
        marks.append(server.mark())
        desktop.key(key)
    shown.check_slam(game, press, "space")
    return server.samples(marks[0], RATE)


def check_heard_and_muted(desktop, game, server):
    shown.wait_start_screen(game)
    mark = server.mark()
    desktop.key("shift")
    check_heard(server.samples(mark, RATE // 2), "the start of a game")
    check_heard(slam(desktop, game, server), "a slam")
    desktop.key("m")
    muted = seconds_sounding(slam(desktop, game, server))
    if muted > 0:
        raise Failure(f"after M a slam sounded for {muted:.3f} s")
    desktop.key("m")
    check_heard(slam(desktop, game, server), "a slam after M again")


def check_deactivate(desktop, game, server, other):
    """The end of a game plays a falling phrase of 1.75 s; the window deactivated as soon as the
    question shows, the phrase stops at once, and with the window active again the question
    comes back in silence: nothing plays late."""
    def over():
        image = game.grab()
        if shown.question_shown(image):
            return image
        desktop.key("space")
        return None
    asking = wait_for("the play-again question", over, timeout=60, interval=0.15)
    desktop.run("xdotool", "windowactivate", "--sync", str(other), check=True)
    shown.grab_when(game, "the pause veil", lambda i: i.difference(asking) > 5, timeout=5)
    game.grab("paused")
    paused = seconds_sounding(server.samples(server.mark() + RATE // 10, RATE // 2))
    if paused > 0:
        raise Failure(f"the game sounded for {paused:.3f} s with its window inactive")
    desktop.run("xdotool", "windowactivate", "--sync", str(game.window), check=True)
    shown.grab_when(game, "the question again", lambda i: i.difference(asking) < 1, timeout=5)
    resumed = seconds_sounding(server.samples(server.mark(), RATE))
    if resumed > 0:
        raise Failure(f"with the window active again the game sounded for {resumed:.3f} s: the end played late")


def main():
    program, workdir = sys.argv[1], sys.argv[2]
    outdir = os.path.join(os.path.abspath(workdir), "sound")
    os.makedirs(outdir, exist_ok=True)
    desktop = server = game = None
    try:
        desktop = Desktop(outdir)
        check_no_device(desktop, program, outdir)
        server = SoundServer(outdir)
        other = desktop.spawn(["xmessage", "-geometry", "+20+20", "another program"], os.path.join(outdir, "other.log"))
        other_window = wait_for("the other window", lambda: desktop.find_window("xmessage"))
        game = shown.Game(desktop, program, outdir, env=server.env)
        wait_for("the game's stream on the server",
                 lambda: 'application.name = "Stakmir"' in server.pactl("list", "sink-inputs"))
        server.record()
        check_heard_and_muted(desktop, game, server)
        check_deactivate(desktop, game, server, other_window)
        desktop.key("n")
        game.expect_exit("N")
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        if game:
            game.stop()
        if server:
            server.close()
        if desktop:
            desktop.close()
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
