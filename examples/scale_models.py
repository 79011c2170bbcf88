#!/usr/bin/env python3
"""Scale every EBO model in a folder about its centre, and save each in place.

    scale_models.py FOLDER FACTOR

The centre is the middle of the box around all of a model's vertices. A model that cannot be
loaded or saved is named with the reason, and left as it was; the exit status is then 1.
"""

import pathlib
import sys

import numpy as np

import vertwright


def holds_its_positions(segment):
    """False for a segment that reads the position block of an earlier one: scaling that one
    scales both, and scaling both would scale the block twice."""
    here = (segment.part, segment.index)
    return all(other > here for other in segment.shared_with.get("positions", []))


def scale(model, factor):
    segments = [s for part in model.parts for s in part.segments
                if len(s) and holds_its_positions(s)]
    if not segments:
        return
    every = np.concatenate([s.positions for s in segments])
    centre = (np.nanmin(every, axis=0) + np.nanmax(every, axis=0)) / 2
    for s in segments:
        s.positions[:] = centre + (s.positions - centre) * factor


def main(folder, factor):
    failed = False
    for path in sorted(pathlib.Path(folder).glob("*.ebo")):
        try:
            model = vertwright.open(path)
            scale(model, factor)
            model.save()
            print(f"scaled {path}")
        except vertwright.Error as error:
            print(f"{path}: {error}", file=sys.stderr)
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[2].strip())
    sys.exit(main(sys.argv[1], float(sys.argv[2])))
