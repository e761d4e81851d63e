#!/usr/bin/env python3
"""Processor time of the game at window scales 1, 2 and 3 on a private 3840 by 2160 Xvfb desktop
with Mesa's software OpenGL, each against the 1x game and against the minimal SDL2 + OpenGL
program of the start-up figures showing a window of the same size for as many frames, all
measured in the same run. Each game plays for SECONDS (started after the intro); the frames
presented are counted by the start-up benchmark's probe.

    run.py BUILD_DIR [SECONDS] [ROUNDS]

BUILD_DIR is a configured and built build folder (targets stakmir, startup_minimal and
startup_swap_probe). The scales are measured in turn, ROUNDS times (default 2), and the median
of each figure is reported."""
import os
import shutil
import statistics
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "tests", "platform"))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "startup"))
from desktop import Desktop  # noqa: E402
from run import programs, run  # noqa: E402  (the start-up benchmark's runner)

SCALES = (1, 2, 3)


def main():
    build = os.path.abspath(sys.argv[1])
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10.0
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 2
    game, minimal, probe = programs(build)
    workdir = tempfile.mkdtemp(prefix="scale-")
    desktop = Desktop(workdir, 3840, 2160)
    results = {scale: [] for scale in SCALES}
    try:
        for _ in range(rounds):
            for scale in SCALES:
                desktop.env["STAKMIR_SCALE"] = str(scale)
                _, frames, rate, cpu, _ = run(desktop, [game], probe, seconds=seconds, start_key_after=1.5)
                minimal_cpu = run(desktop, [minimal, str(frames), str(scale)], probe)[3]
                results[scale].append((frames, rate, cpu, minimal_cpu))
    finally:
        desktop.close()
        shutil.rmtree(workdir, ignore_errors=True)
    def median(scale, index):
        return statistics.median(row[index] for row in results[scale])
    base = median(1, 2)
    print(f"| scale | window | frames in {seconds:.0f} s | processor time | against 1x | minimal program, "
          "same window and frames | against minimal |")
    print("|---|---|---|---|---|---|---|")
    for scale in SCALES:
        cpu, minimal_cpu = median(scale, 2), median(scale, 3)
        print(f"| {scale}x | {480 * scale} by {320 * scale} | {median(scale, 0):.0f} ({median(scale, 1):.1f}/s) | "
              f"{cpu:.2f} s | {cpu / base:.2f} | {minimal_cpu:.2f} s | {cpu / minimal_cpu:.2f} |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
