#!/usr/bin/env python3
"""Checks the screenshots a shots scenario left in its game folder.

usage: check_shots.py FOLDER ZOQ_SAVE SAVE START BUILDING FLIGHT INGAME

START, BUILDING, FLIGHT and INGAME name the scenario's shots (NAME.bmp in FOLDER). Each is
800 x 600 with at least 20 colours and differs from the next by a mean of more than 10; the
flight's top rows differ from its bottom rows; the building menu shows its title colour. The
save picture of SAVE (relative to FOLDER), written by ZOQ_SAVE's shot command, is not uniform.
Prints one line per failed check and exits 1 when any failed.
"""

import os
import struct
import subprocess
import sys
import tempfile

WIDTH, HEIGHT = 800, 600
MIN_COLOURS = 20
MIN_MEAN_DIFFERENCE = 10.0
BAND_ROWS = 100  # the top and bottom bands of the flight
MIN_BAND_DIFFERENCE = 2.0
TITLE_COLOUR = (0xD1, 0xD1, 0x53)
TITLE_TOLERANCE = 2
MIN_TITLE_PIXELS = 20


class Image:
    """An uncompressed 24- or 32-bit BMP as rows of (r, g, b), top row first."""

    def __init__(self, path):
        with open(path, "rb") as file:
            data = file.read()
        if len(data) < 54 or data[:2] != b"BM":
            raise ValueError("is no BMP")
        offset = struct.unpack_from("<I", data, 10)[0]
        width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
        if bits not in (24, 32) or compression not in (0, 3):
            raise ValueError(f"has {bits} bits a pixel, compression {compression}")
        step = bits // 8
        pitch = (width * step + 3) & ~3
        rows = abs(height)
        if offset + pitch * rows > len(data):
            raise ValueError("is shorter than its pixels")
        self.width, self.height = width, rows
        self.rows = []
        for y in range(rows):
            start = offset + pitch * (rows - 1 - y if height > 0 else y)
            line = data[start : start + width * step]
            self.rows.append([(line[x + 2], line[x + 1], line[x]) for x in range(0, len(line), step)])

    def pixels(self):
        for row in self.rows:
            yield from row

    def colours(self):
        return len(set(self.pixels()))

    def band_mean(self, rows):
        values = [sum(pixel) / 3 for row in rows for pixel in row]
        return sum(values) / len(values)


def mean_difference(a, b):
    total = sum(abs(p - q) for x, y in zip(a.pixels(), b.pixels()) for p, q in zip(x, y))
    return total / (a.width * a.height * 3)


def title_pixels(image):
    return sum(
        1
        for pixel in image.pixels()
        if all(abs(c - t) <= TITLE_TOLERANCE for c, t in zip(pixel, TITLE_COLOUR))
    )


def main(argv):
    if len(argv) != 8:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    folder, zoq_save, save = argv[1:4]
    names = argv[4:8]
    failures = []
    images = {}
    for name in names:
        path = os.path.join(folder, name + ".bmp")
        try:
            image = Image(path)
        except (OSError, ValueError) as error:
            failures.append(f"{name}.bmp: {error}")
            continue
        images[name] = image
        if (image.width, image.height) != (WIDTH, HEIGHT):
            failures.append(f"{name}.bmp: {image.width} x {image.height}, not {WIDTH} x {HEIGHT}")
            continue
        colours = image.colours()
        if colours < MIN_COLOURS:
            failures.append(f"{name}.bmp: {colours} colours, fewer than {MIN_COLOURS}")
    for first, second in zip(names, names[1:]):
        if first in images and second in images and images[first].width == images[second].width:
            difference = mean_difference(images[first], images[second])
            if difference <= MIN_MEAN_DIFFERENCE:
                failures.append(f"{first}.bmp and {second}.bmp differ by a mean of {difference:.2f}")
    start, building, flight, _ = names
    if flight in images:
        image = images[flight]
        top = image.band_mean(image.rows[:BAND_ROWS])
        bottom = image.band_mean(image.rows[-BAND_ROWS:])
        if abs(top - bottom) <= MIN_BAND_DIFFERENCE:
            failures.append(f"{flight}.bmp: top rows' mean {top:.2f} as the bottom rows' {bottom:.2f}")
    if building in images and title_pixels(images[building]) < MIN_TITLE_PIXELS:
        failures.append(f"{building}.bmp: the title colour 0xD1D153 is missing")
    with tempfile.TemporaryDirectory() as scratch:
        picture = os.path.join(scratch, "save.bmp")
        run = subprocess.run([zoq_save, "shot", os.path.join(folder, save), picture], capture_output=True, text=True)
        if run.returncode != 0:
            failures.append(f"zoq-save shot {save}: exit {run.returncode} {run.stderr.strip()}")
        else:
            colours = Image(picture).colours()
            if colours < 2:
                failures.append(f"{save}: its picture is uniform")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
