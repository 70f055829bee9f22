#!/usr/bin/env python3
"""The monitor's rows scripted with pyserial, one thread a board, for bench_fleet to compare.

Every --period seconds each thread sends the reads of one row (the supervision reads, the
warning word, the laser state), paced as the program paces them (half the pause, the line, the
other half), each answer read up to its carriage return. Prints one line:
"pyserial boards=N period_s=P row_ms_p50=... row_ms_p99=... empty=K".
"""
import argparse
import sys
import threading
import time

import serial

READS = ["IPW", "OPW", "PS2", "ID1", "LDT", "CAT", "ALA", "LDC", "WAR", "STS"]


def percentile(values, p):
    if not values:
        return 0.0
    v = sorted(values)
    return v[min(len(v) - 1, int(p * len(v)))]


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--baud", type=int, default=19200)
    p.add_argument("--pause", type=int, default=2, help="TempsPause2 in ms")
    p.add_argument("--timeout-ms", type=int, default=250)
    p.add_argument("--period", type=float, default=1.0)
    p.add_argument("--seconds", type=float, default=60.0)
    p.add_argument("--warm-up", type=int, default=2, help="first rows of each board not counted")
    p.add_argument("ports", nargs="+")
    a = p.parse_args()

    half = round(a.pause / 2) / 1000.0  # halves rounded to even, as the program does
    rows = []
    empty = [0]
    lock = threading.Lock()
    start = time.monotonic() + 0.5

    def poll(port):
        link = serial.Serial(port, a.baud, timeout=a.timeout_ms / 1000.0)
        link.reset_input_buffer()
        row = 0
        while True:
            due = start + row * a.period
            if due - start >= a.seconds:
                break
            time.sleep(max(0.0, due - time.monotonic()))
            t0 = time.perf_counter()
            missing = 0
            for r in READS:
                time.sleep(half)
                link.write(r.encode("ascii") + b"?\r")
                time.sleep(half)
                if not link.read_until(b"\r").endswith(b"\r"):
                    missing += 1
            took = (time.perf_counter() - t0) * 1000.0
            with lock:
                empty[0] += missing
                if row >= a.warm_up:
                    rows.append(took)
            row += 1
        link.close()

    threads = [threading.Thread(target=poll, args=(port,)) for port in a.ports]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    print("pyserial boards=%d period_s=%g row_ms_p50=%.1f row_ms_p99=%.1f empty=%d"
          % (len(a.ports), a.period, percentile(rows, 0.5), percentile(rows, 0.99), empty[0]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
