"""The scripts of examples/ run on generated models."""

import re
import subprocess
import sys

import numpy as np
import pytest

import vertwright
from conftest import EXAMPLES


def run(script, *args):
    return subprocess.run([sys.executable, str(EXAMPLES / script), *map(str, args)],
                          capture_output=True, text=True)


def positions(path):
    return [s.positions.copy() for p in vertwright.open(path).parts for s in p.segments]


def test_scale_models_scales_each_model_about_its_centre(models):
    fleet = models / "fleet"
    before = {path: positions(path) for path in fleet.glob("*.ebo")}
    done = run("scale_models.py", fleet, 1.1)
    assert done.returncode == 0, done.stderr
    for path, old in before.items():
        every = np.concatenate(old)
        centre = (every.min(axis=0) + every.max(axis=0)) / 2
        for was, now in zip(old, positions(path), strict=True):
            assert np.allclose(now, centre + (was - centre) * 1.1, rtol=1e-6, atol=1e-6)


@pytest.mark.parametrize("source,target,status,message", [
    ("source.ebo", "target.ebo", 0, ""),
    ("plain.ebo", "target.ebo", 1, "vertex counts differ"),
    ("head2.ebo", "head2.ebo", 1, "keeps no texture coordinates"),
])
def test_copy_uvs_copies_onto_a_model_of_the_same_counts(models, source, target, status,
                                                         message):
    before = (models / target).read_bytes()
    done = run("copy_uvs.py", models / source, models / target)
    assert (done.returncode, message in done.stderr) == (status, True)
    assert ((models / target).read_bytes() == before) == bool(status)
    if not status:
        copied, origin = vertwright.open(models / target), vertwright.open(models / source)
        for s, t in zip(origin.parts, copied.parts):
            for a, b in zip(s.segments, t.segments):
                assert np.array_equal(a.uvs, b.uvs)


def test_find_nonfinite_reports_every_nan_and_infinity(models):
    done = run("find_nonfinite.py", models / "nonfinite.ebo", models / "plain.ebo")
    assert done.returncode == 1
    found = re.findall(r"part (\d+), segment (\d+), vertex (\d+): (\w) = ", done.stdout)
    expected = [tuple(line.split()) for line in (models / "nonfinite.txt").read_text().splitlines()]
    assert found == expected
    assert "-inf" in done.stdout and "nan" in done.stdout
