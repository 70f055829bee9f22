#!/usr/bin/env python3
"""The same exchanges as the program, scripted with pyserial, for the benchmarks to compare.

Each round sends the commands one after the other as the program paces them (half the pause,
the line, the other half), reading each answer up to its carriage return. Prints one line:
"pyserial round median <ms> ms, mean <ms> ms, <n> rounds, <k> empty answers".
"""
import argparse
import statistics
import sys
import time

import serial


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--port", required=True)
    p.add_argument("--baud", type=int, default=19200)
    p.add_argument("--pause", type=int, default=2, help="TempsPause2 in ms")
    p.add_argument("--timeout-ms", type=int, default=250)
    p.add_argument("--rounds", type=int, default=12)
    p.add_argument("--warm-up", type=int, default=2)
    p.add_argument("commands", nargs="+")
    a = p.parse_args()

    half = round(a.pause / 2) / 1000.0  # halves rounded to even, as the program does
    link = serial.Serial(a.port, a.baud, timeout=a.timeout_ms / 1000.0)
    link.reset_input_buffer()
    empty = 0
    times = []
    for i in range(a.warm_up + a.rounds):
        t0 = time.perf_counter()
        for c in a.commands:
            time.sleep(half)
            link.write(c.encode("ascii") + b"\r")
            time.sleep(half)
            if not link.read_until(b"\r").endswith(b"\r"):
                empty += 1
        if i >= a.warm_up:
            times.append((time.perf_counter() - t0) * 1000.0)
    link.close()
    print("pyserial round median %.1f ms, mean %.1f ms, %d rounds, %d empty answers"
          % (statistics.median(times), statistics.mean(times), len(times), empty))
    return 0


if __name__ == "__main__":
    sys.exit(main())
