#!/usr/bin/env python3
"""Start-up, processor time and memory of Stakmir beside a minimal SDL2 + OpenGL program that
opens the same window and presents as many frames, both measured in this one run on a private
Xvfb desktop (software OpenGL). The programs are unchanged: a small preloaded probe notes when
each presents its first frame and how many frames it presents.

    run.py BUILD_DIR [SECONDS]

BUILD_DIR is a configured and built build folder (targets stakmir, startup_minimal and
startup_swap_probe). Prints a table; the figures are ratios against the minimal program."""
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
from desktop import Desktop, wait_for  # noqa: E402


def run(desktop, argv, probe, seconds=None, start_key_after=None):
    """Runs a program with the probe until it ends (or `seconds` after its start, when it is
    asked to end); returns (first-frame delay, frames, frames per second, cpu seconds, peak KiB)."""
    record = tempfile.mktemp(prefix="probe-")
    env = dict(desktop.env, LD_PRELOAD=probe, STAKMIR_SWAP_PROBE=record)
    started = time.monotonic()
    process = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if start_key_after is not None:
        time.sleep(start_key_after)
        desktop.key("shift")  # the release of a key starts the game after the intro
    if seconds is not None:
        time.sleep(max(0.0, started + seconds - time.monotonic()))
        process.send_signal(signal.SIGTERM)  # SDL turns it into a quit request: an orderly end
    _, status, usage = os.wait4(process.pid, 0)
    ended = time.monotonic()
    process.returncode = status
    with open(record) as f:
        first, frames = f.read().split()
    os.unlink(record)
    first, frames = float(first), int(frames)
    return (first - started, frames, frames / max(1e-9, ended - first), usage.ru_utime + usage.ru_stime,
            usage.ru_maxrss)


def stripped_size(path):
    with tempfile.TemporaryDirectory() as folder:
        copy = os.path.join(folder, "stripped")
        subprocess.run(["strip", "-o", copy, path], check=True)
        return os.path.getsize(copy)


def programs(build):
    """The game, the minimal program and the swap probe in a build folder; ends the run with one
    line when one of them is missing."""
    game = os.path.join(build, "stakmir")
    minimal = os.path.join(build, "bench", "startup", "startup_minimal")
    probe = os.path.join(build, "bench", "startup", "startup_swap_probe.so")
    for path in (game, minimal, probe):
        if not os.path.exists(path):
            sys.exit(f"run.py: {path} is missing; build the targets stakmir, startup_minimal, startup_swap_probe")
    return game, minimal, probe


def main():
    build = os.path.abspath(sys.argv[1])
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10.0
    game, minimal, probe = programs(build)
    workdir = tempfile.mkdtemp(prefix="startup-")
    desktop = Desktop(workdir)
    try:
        # Start-up: exec to the first presented frame, five times each, alternating.
        game_starts, minimal_starts = [], []
        for _ in range(5):
            game_starts.append(run(desktop, [game], probe, seconds=1.0)[0])
            minimal_starts.append(run(desktop, [minimal, "1"], probe)[0])
        # A game of `seconds`, then the minimal program presenting as many frames at the same pace.
        _, frames, rate, game_cpu, game_rss = run(desktop, [game], probe, seconds=seconds, start_key_after=1.5)
        _, minimal_frames, minimal_rate, minimal_cpu, minimal_rss = run(desktop, [minimal, str(frames)], probe)
    finally:
        desktop.close()
        shutil.rmtree(workdir, ignore_errors=True)
    game_start, minimal_start = statistics.median(game_starts), statistics.median(minimal_starts)
    game_size, minimal_size = stripped_size(game), stripped_size(minimal)
    rows = [
        ("exec to first frame (median of 5)", f"{game_start * 1000:.0f} ms", f"{minimal_start * 1000:.0f} ms",
         game_start / minimal_start),
        (f"frames presented in {seconds:.0f} s", f"{frames} ({rate:.1f}/s)", f"{minimal_frames} ({minimal_rate:.1f}/s)",
         None),
        ("processor time for those frames", f"{game_cpu:.2f} s", f"{minimal_cpu:.2f} s", game_cpu / minimal_cpu),
        ("peak resident memory", f"{game_rss / 1024:.1f} MiB", f"{minimal_rss / 1024:.1f} MiB", game_rss / minimal_rss),
        ("stripped executable", f"{game_size / 1024:.0f} KiB", f"{minimal_size / 1024:.0f} KiB", game_size / minimal_size),
    ]
    print("| figure | stakmir | minimal SDL2 + OpenGL | ratio |")
    print("|---|---|---|---|")
    for name, a, b, ratio in rows:
        print(f"| {name} | {a} | {b} | {'' if ratio is None else f'{ratio:.2f}'} |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
