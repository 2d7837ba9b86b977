#!/usr/bin/python3
"""The peer corvane-batch is measured against: the evaluation of grab files a
lab would write with pandas and numpy, one read_csv per file. For every file
it finds the flywheel holes, the first revolution between two wide holes, the
speed, and the indicated power from the area of the pressure-volume loop, and
writes one line per file as corvane-batch does (the figures are close to
corvane-batch's, not equal: the loop area is the polygon's, not the picture's).

Usage: pandas_peer.py RESULTS LIST    (LIST: capture file names, one a line)
"""

import math
import os
import sys

import numpy as np
import pandas as pd

BORE_MM = 15.9
STROKE_MM = 18.5
AMPLITUDE = math.pi * (BORE_MM / 2) ** 2 * (STROKE_MM / 2)
MEAN_VOLUME = 69591.53944470869
PERIOD_S = 0.001
THRESHOLD_V = 2.0
HOLES = 16


def evaluate(path):
    data = pd.read_csv(path, skiprows=2, header=None)
    lo, hi = data.iloc[0, 3], data.iloc[0, 4]
    pressure = data[1].to_numpy()
    tach = data[2].to_numpy()

    low = tach < THRESHOLD_V
    down = np.flatnonzero(~low[:-1] & low[1:]) + 1
    up = np.flatnonzero(low[:-1] & ~low[1:]) + 1
    up = up[up > down[0]] if len(down) else up
    n = min(len(down), len(up))
    down, up = down[:n], up[:n]
    if n < HOLES + 1:
        return lo, hi, None, None
    widths = up - down
    mids = (down + up) // 2 - 1
    first = int(np.argmax(widths[: HOLES + 1]))
    second = first + HOLES
    if second >= n:
        return lo, hi, None, None
    start, end = mids[first], mids[second]
    rpm = 60.0 / ((end - start) * PERIOD_S)

    samples = np.arange(start, end)
    angles = np.interp(samples, mids[first : second + 1], np.arange(HOLES + 1) * 22.5)
    volume = MEAN_VOLUME + AMPLITUDE * np.cos(np.radians(angles))
    kpa = (pressure - pressure.mean()) / 0.4
    p = kpa[samples]
    work_uj = 0.5 * abs(np.dot(volume, np.roll(p, -1)) - np.dot(p, np.roll(volume, -1)))
    return lo, hi, rpm, work_uj * rpm / 60 / 1000


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    results, listing = sys.argv[1], sys.argv[2]
    with open(listing) as names:
        paths = [line.rstrip("\r\n") for line in names if line.strip()]
    with open(results, "w", newline="") as out:
        out.write("File, Lo Temp, Hi Temp, RPM, Ind Pwr, Power, Torque\r\n")
        for path in paths:
            lo, hi, rpm, power = evaluate(path)
            speed = "" if rpm is None else f"{rpm:.1f}"
            indicated = "" if power is None else f"{power:.1f}"
            out.write(f"{os.path.basename(path)}, {lo:.1f}, {hi:.1f}, {speed}, {indicated}, , \r\n")


if __name__ == "__main__":
    main()
