#!/usr/bin/env python3
"""Prints where the worm's body lies across the bottom of a game screenshot: the mean x of
its pale pixels minus the screen centre (negative: to the left). The ground is red with little
green, so pale (green-rich) pixels there are the worm; the items stand farther off, higher up
in the picture. Prints "none" when no body is seen."""
import subprocess
import sys

LEFT, TOP, WIDTH, HEIGHT = 60, 320, 520, 160


def main(path):
    raw = subprocess.run(
        ["convert", path, "-crop", f"{WIDTH}x{HEIGHT}+{LEFT}+{TOP}", "+repage", "-depth", "8", "rgb:-"],
        check=True, capture_output=True).stdout
    total = count = 0
    for i in range(0, len(raw) - 2, 3):
        r, g = raw[i], raw[i + 1]
        if r > 150 and g > 110:
            total += (i // 3) % WIDTH + LEFT
            count += 1
    print("none" if count < 50 else round(total / count - 320))


if __name__ == "__main__":
    main(sys.argv[1])
