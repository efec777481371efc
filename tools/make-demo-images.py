#!/usr/bin/env python3
"""Writes the two demo controller images: resources/demo_2d.dat and demo_3d.dat.

Each holds both timing tables (so switching the table mode shows a plausible one) and
parameters on their sliders' steps. Usage: tools/make-demo-images.py [FOLDER]
"""
import os
import sys

COUNT = 0.0879  # degrees per count
RPM = [k * 500 for k in range(21)]


def interp(knots, x):
    for (x0, y0), (x1, y1) in zip(knots, knots[1:]):
        if x <= x1:
            return y0 + (y1 - y0) * (x - x0) / (x1 - x0)
    return knots[-1][1]


def cell(trig, advance):
    # Python's round() takes halves to the even neighbour, as the program does.
    return max(0, min(255, round((trig - advance) / COUNT)))


def retard_counts(degrees):
    return round(degrees / COUNT)


def image(trig, crank, options, comp_half_degrees, start_degrees, map_sensor, gpio,
          light_load):
    low = trig - 22
    b = bytearray(264)  # file byte n is EEPROM address 16 + n

    def advance(rpm, row):
        # Row 8 is the lowest manifold pressure: the most advance; each row up takes
        # more away.
        load = [0, 2, 4, 7, 10, 13, 16, 19][8 - row]
        return max(low, min(trig, interp(light_load, rpm) - load))

    for k, rpm in enumerate(RPM):
        b[k] = cell(trig, max(low, min(trig, interp(light_load, rpm) - 4)))  # part load
        for row in range(1, 9):
            b[96 + (8 - row) * 21 + k] = cell(trig, advance(rpm, row))
    b[32:38] = bytes([trig, crank, options, round(comp_half_degrees / (2 * COUNT)),
                      retard_counts(start_degrees), map_sensor])
    (m1, r1), (m2, r2), (m3, r3, lo, hi) = gpio
    b[48:50] = bytes([m1, retard_counts(r1)])
    b[56:58] = bytes([m2, retard_counts(r2)])
    b[64:68] = bytes([m3, retard_counts(r3), lo // 50, hi // 50])
    return bytes(b)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    # 4 cylinders, timing on, 2D table; GPI1 digital retard, GPIO3 a shift-light window.
    demo_2d = image(36, 4, 0x0D, 4, 5, 0,
                    ((2, 3), (1, 4), (2, 2, 3000, 6500)),
                    [(0, 18), (1000, 18), (2000, 26), (3000, 33), (4000, 37), (5500, 39),
                     (10000, 39)])
    # 6 cylinders, timing on, 3D table on a 2 bar sensor; no start retard.
    demo_3d = image(38, 6, 0x16, 6, 0, 1,
                    ((1, 2), (1, 6), (1, 8, 3000, 6000)),
                    [(0, 16), (1000, 16), (2000, 28), (3000, 36), (4000, 38), (10000, 38)])
    for name, data in (("demo_2d.dat", demo_2d), ("demo_3d.dat", demo_3d)):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
