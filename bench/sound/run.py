#!/usr/bin/env python3
"""What the sound costs: the processor time of the game played with sound against the same game
muted (M), and without any sound device, in this one run, on a private Xvfb desktop with a
private PulseAudio server; then the latency from a pass that starts an effect to the device's
pull that hands it over (sound_latency, through the same server).

    run.py BUILD_DIR [SECONDS] [ROUNDS]

BUILD_DIR is a built build folder (targets stakmir and sound_latency). Each round plays each
setting once for SECONDS (default 10) with the same keys: a move, a turn or a faster step every 0.25 s and a slam every 2 s."""
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "tests", "platform"))
from desktop import Desktop, SoundServer, wait_for  # noqa: E402

KEYS = ["Left", "Up", "Right", "Down", "Right", "Up", "Left", "space"]


def play(desktop, game, env, seconds, mute):
    """Plays for `seconds` after the intro; returns the processor seconds the game used."""
    process = subprocess.Popen([game], env=dict(desktop.env, **env), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    wait_for("the window", lambda: desktop.find_window("Stakmir"))
    time.sleep(1.5)  # the intro
    desktop.key("m" if mute else "shift")  # either release starts the game
    end = time.monotonic() + seconds
    for n in range(10**6):
        if time.monotonic() > end:
            break
        desktop.key(KEYS[n % len(KEYS)])
        time.sleep(0.25)
    process.send_signal(signal.SIGTERM)
    _, _, usage = os.wait4(process.pid, 0)
    return usage.ru_utime + usage.ru_stime


def spread(values):
    return f"{min(values):.2f} / {statistics.median(values):.2f} / {max(values):.2f} s"


def main():
    build = os.path.abspath(sys.argv[1])
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10.0
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    game = os.path.join(build, "stakmir")
    latency = os.path.join(build, "bench", "sound", "sound_latency")
    for path in (game, latency):
        if not os.path.exists(path):
            sys.exit(f"run.py: {path} is missing; build the targets stakmir and sound_latency")
    workdir = tempfile.mkdtemp(prefix="sound-bench-")
    desktop = Desktop(workdir)
    server = SoundServer(workdir)
    nowhere = {"SDL_AUDIODRIVER": "pulseaudio", "PULSE_SERVER": "unix:/nonexistent"}
    settings = [("with sound", server.env, False), ("muted (M)", server.env, True), ("no sound device", nowhere, False)]
    times = {name: [] for name, _, _ in settings}
    try:
        for _ in range(rounds):
            for name, env, mute in settings:
                times[name].append(play(desktop, game, env, seconds, mute))
        measured = subprocess.run([latency], env=dict(os.environ, **server.env), capture_output=True, text=True,
                                  timeout=120).stdout.strip()
    finally:
        server.close()
        desktop.close()
        shutil.rmtree(workdir, ignore_errors=True)
    muted = statistics.median(times["muted (M)"])
    print(f"| {seconds:.0f} s of play, {rounds} rounds | processor time (least / median / most) | against muted |")
    print("|---|---|---|")
    for name, _, _ in settings:
        print(f"| {name} | {spread(times[name])} | {statistics.median(times[name]) / muted:.3f} |")
    print()
    print(measured)
    return 0


if __name__ == "__main__":
    sys.exit(main())
