#!/usr/bin/env python3
"""Prints where the worm's body lies across the bottom of a game screenshot: the mean x of
its pale pixels minus the screen centre (negative: to the left). The ground is red with little
green, so pale (green-rich) pixels there are the worm or an item; items lie anywhere around the
start, even right beside the worm. The camera always looks over the head, so the body is the
pale patch that reaches the head's place in the middle of the picture and everything joined to
it; pale patches apart from it are items. Prints "none" when no body is seen."""
import subprocess
import sys

LEFT, TOP, WIDTH, HEIGHT = 60, 320, 520, 160
# Where the head is drawn, in screen pixels: a little below the middle, centred.
HEAD_LEFT, HEAD_RIGHT, HEAD_TOP, HEAD_BOTTOM = 290, 350, 320, 400
# The worm's texture has dark stripes; pale pixels this close count as one patch.
REACH = 3


def pale_pixels(path):
    raw = subprocess.run(
        ["convert", path, "-crop", f"{WIDTH}x{HEIGHT}+{LEFT}+{TOP}", "+repage", "-depth", "8", "rgb:-"],
        check=True, capture_output=True).stdout
    pale = set()
    for i in range(0, len(raw) - 2, 3):
        r, g = raw[i], raw[i + 1]
        if r > 150 and g > 110:
            pale.add(((i // 3) % WIDTH + LEFT, (i // 3) // WIDTH + TOP))
    return pale


def body(pale):
    todo = [p for p in pale if HEAD_LEFT <= p[0] < HEAD_RIGHT and HEAD_TOP <= p[1] < HEAD_BOTTOM]
    seen = set(todo)
    while todo:
        x, y = todo.pop()
        for dx in range(-REACH, REACH + 1):
            for dy in range(-REACH, REACH + 1):
                q = (x + dx, y + dy)
                if q in pale and q not in seen:
                    seen.add(q)
                    todo.append(q)
    return seen


def main(path):
    worm = body(pale_pixels(path))
    print("none" if len(worm) < 50 else round(sum(x for x, _ in worm) / len(worm) - 320))


if __name__ == "__main__":
    main(sys.argv[1])
