#!/usr/bin/env python3
"""Checks kelvado-sim output from a soak: every number finite, the worm table never overrun.

Usage: check_trace.py TRACE
Prints one summary line with the longest worm; exits 1 on the first violation (with the line
number).
"""
import math
import sys

LIMIT = 4999


def main():
    args = sys.argv[1:]
    if not args:
        sys.exit(__doc__)
    path = args[0]
    steps = play = resets = 0
    max_records = 0
    max_score = 0
    with open(path) as trace:
        for number, line in enumerate(trace, 1):
            words = line.split()
            if not words or words[0] not in ("step", "reset"):
                sys.exit(f"line {number}: not a trace line: {line[:80]!r}")
            if words[0] == "reset":
                resets += 1
            else:
                steps += 1
            fields = {}
            for word in words[1:] if words[0] == "reset" else words[2:]:
                name, _, value = word.partition("=")
                fields[name] = value
                for part in value.replace(";", ",").split(","):
                    if not part:
                        continue
                    try:
                        v = float(part)
                    except ValueError:
                        sys.exit(f"line {number}: {name} is not a number: {part!r}")
                    if not math.isfinite(v):
                        sys.exit(f"line {number}: {name} is not finite: {part}")
            if words[0] == "step":
                records = float(fields["seg"])
                if records != int(records) or not 1 <= records <= LIMIT:
                    sys.exit(f"line {number}: seg={fields['seg']} outside 1..{LIMIT}")
                max_records = max(max_records, int(records))
                max_score = max(max_score, int(fields["score"]))
                if fields["mode"] == "1":
                    play += 1
                elif fields["mode"] not in ("0", "2"):
                    sys.exit(f"line {number}: mode={fields['mode']}")
    print(f"steps {steps}, play steps {play} ({play / 40 / 60:.1f} min of game time), "
          f"resets {resets}, longest worm {max_records} records, max score {max_score}")


if __name__ == "__main__":
    main()
