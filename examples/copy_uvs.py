#!/usr/bin/env python3
"""Copy the texture coordinates of one EBO model onto another with the same vertex counts.

    copy_uvs.py SOURCE TARGET

TARGET is saved in place; nothing is written when the counts differ or its file keeps no
texture coordinates (a delta model).
"""

import sys

import vertwright


def vertex_counts(model):
    return [[len(s) for s in part.segments] for part in model.parts]


def main(source_path, target_path):
    try:
        source = vertwright.open(source_path)
        target = vertwright.open(target_path)
    except vertwright.LoadError as error:
        return str(error)
    if vertex_counts(source) != vertex_counts(target):
        return f"{target_path}: its vertex counts differ from those of {source_path}"
    pairs = [(s, t) for sp, tp in zip(source.parts, target.parts)
             for s, t in zip(sp.segments, tp.segments)]
    if not all(t.uvs.flags.writeable for _, t in pairs):
        return f"{target_path}: its file keeps no texture coordinates"
    for s, t in pairs:
        t.uvs[:] = s.uvs
    try:
        target.save()
    except vertwright.SaveRefused as error:
        return f"{target_path}: {error}"
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[2].strip())
    sys.exit(main(sys.argv[1], sys.argv[2]))
