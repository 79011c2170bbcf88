#!/usr/bin/env python3
"""Report every NaN or infinite position or texture coordinate of EBO models.

    find_nonfinite.py MODEL.ebo...

One line per value: the file, part, segment, vertex, field and value. The exit status is 1 when
any was found or a model could not be loaded, else 0.
"""

import sys

import numpy as np

import vertwright

FIELDS = (("positions", "xyz"), ("uvs", "uv"))


def report(path):
    model = vertwright.open(path)
    found = 0
    for part in model.parts:
        for segment in part.segments:
            for array_name, names in FIELDS:
                values = getattr(segment, array_name)
                for vertex, column in zip(*np.nonzero(~np.isfinite(values))):
                    print(f"{path}: part {part.index}, segment {segment.index}, "
                          f"vertex {vertex}: {names[column]} = {values[vertex, column]}")
                    found += 1
    return found


def main(paths):
    status = 0
    for path in paths:
        try:
            if report(path):
                status = 1
        except vertwright.LoadError as error:
            print(error, file=sys.stderr)
            status = 1
    return status


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__.strip().splitlines()[2].strip())
    sys.exit(main(sys.argv[1:]))
