"""The vertwright module against the command-line tool, on the samples and generated models."""

import gc
import json

import numpy as np
import pytest

import vertwright
from conftest import SAMPLES, cli

LAYOUTS = [("house.ebo", "plain"), ("fish6.ebo", "version6"), ("head2.ebo", "delta")]


def segments(model):
    return [s for part in model.parts for s in part.segments]


def cli_dump(path):
    done = cli("dump", path, "--program-dir", path.parent)
    assert done.returncode == 0, done.stderr
    return json.loads(done.stdout)


def field(verts, dtype, *names):
    """The named fields of dumped vertices, each read back as the type the model holds."""
    rows = [[v[n] for n in names] for v in verts]
    return np.array(rows, dtype=dtype).reshape(len(verts), len(names))


@pytest.mark.parametrize("name,layout", LAYOUTS)
def test_each_sample_opens_as_the_tool_reads_it(name, layout):
    model = vertwright.open(SAMPLES / name)
    assert (model.layout, model.path) == (layout, str(SAMPLES / name))
    dumped = cli_dump(SAMPLES / name)
    assert model.dump() == dumped
    verts = [s["verts"] for part in dumped["parts"] for s in part["segments"]]
    for segment, vs in zip(segments(model), verts, strict=True):
        assert np.array_equal(segment.positions, field(vs, np.float32, "x", "y", "z"))
        assert np.array_equal(segment.uvs, field(vs, np.float32, "u", "v"))
        assert np.array_equal(segment.colors, field(vs, np.uint8, "red", "green", "blue", "alpha"))


def test_arrays_are_views_that_keep_the_model_alive():
    model = vertwright.open(SAMPLES / "house.ebo")
    segment = model.parts[-1].segments[0]
    positions, colors = segment.positions, segment.colors
    assert positions.base is model and colors.base is model
    assert (positions.dtype, colors.dtype, segment.strip.dtype) == (np.float32, np.uint8, np.int16)
    positions[1] = [1.5, -2.0, 4.0]
    colors[1] = [1, 2, 3, 4]
    vertex = model.dump()["parts"][-1]["segments"][0]["verts"][1]
    assert [vertex[k] for k in ("x", "y", "z", "red", "green", "blue", "alpha")] == [
        1.5, -2.0, 4.0, 1, 2, 3, 4]
    assert np.array_equal(segment.positions, positions)
    del model, segment
    gc.collect()
    assert positions[1].tolist() == [1.5, -2.0, 4.0]


@pytest.mark.parametrize("name,writable", [
    ("plain.ebo", (True, True, True)),
    ("shared6.ebo", (True, True, False)),
    ("head2.ebo", (True, False, False)),
])
def test_fields_the_file_cannot_keep_are_read_only(models, name, writable):
    segment = vertwright.open(models / name).parts[0].segments[0]
    arrays = (segment.positions, segment.uvs, segment.colors, segment.strip)
    for array, expected in zip(arrays, writable + (False,)):
        assert array.flags.writeable == expected
        if not expected:
            with pytest.raises(ValueError, match="read-only"):
                array[0] = 0
            with pytest.raises(ValueError, match="WRITEABLE"):
                array.setflags(write=True)


def obj_lines(model, part=None):
    """The v lines of the model's (or one part's) current positions, in the file's orientation."""
    lines = []
    for segment in segments(model):
        if part is None or segment.part == part:
            for x, y, z in segment.positions.tolist():
                lines.append(f"v {x!r} {-y!r} {z!r}\n")
    return "".join(lines)


@pytest.mark.parametrize("name,part", [("plain.ebo", None), ("shared6.ebo", None),
                                       ("head2.ebo", 0)])
def test_numpy_edits_save_the_bytes_of_the_tools_import(models, twin, name, part):
    model = vertwright.open(models / name)
    original = (models / name).read_bytes()
    for segment in segments(model):
        if (part is None or segment.part == part) and not segment.shared_with:
            segment.positions[:] = segment.positions * np.float32(1.5) + np.float32(0.25)
    model.save()
    obj = twin / "edit.obj"
    obj.write_text(obj_lines(model, part))
    selection = [] if part is None else ["--part", part]
    done = cli("import-obj", twin / name, obj, *selection, "--program-dir", twin)
    assert done.returncode == 0, done.stderr
    assert original != (models / name).read_bytes() == (twin / name).read_bytes()


def test_shared_segments_are_one_storage(models):
    model = vertwright.open(models / "shared6.ebo")
    first, second = model.parts[0].segments
    assert second.shared_with == {"positions": [(0, 0)]}
    assert np.shares_memory(first.positions, second.positions)
    assert not np.shares_memory(first.uvs, second.uvs)
    second.positions[2] = [7, 8, 9]
    assert first.positions[2].tolist() == [7, 8, 9]
    model.save()
    reopened = vertwright.open(models / "shared6.ebo").parts[0].segments
    assert reopened[0].positions[2].tolist() == reopened[1].positions[2].tolist() == [7, 8, 9]
    assert cli("check", models / "shared6.ebo").returncode == 0


def test_import_through_one_sharer_lands_in_the_arrays_of_both(models):
    model = vertwright.open(models / "shared6.ebo")
    first, second = model.parts[0].segments
    obj = models / "second.obj"
    obj.write_text("".join(f"v {i} {-i} 0.5\n" for i in range(len(second))))
    model.import_obj(obj, part=0, seg=1)
    expected = [[i, i, 0.5] for i in range(len(second))]
    assert first.positions.tolist() == second.positions.tolist() == expected
    model.save()
    assert cli("check", models / "shared6.ebo").returncode == 0


def test_import_matches_objects_by_name_in_any_order(models):
    model = vertwright.open(models / "plain.ebo")
    for segment in segments(model):
        segment.positions[:] += np.float32(2)
    obj = models / "all.obj"
    model.export_obj(obj)
    objects = ["o " + text for text in obj.read_text().split("o ") if text]
    obj.write_text("".join(reversed(objects)))
    edited = model.dump()
    reopened = vertwright.open(models / "plain.ebo")
    reopened.import_obj(obj)
    assert reopened.dump() == edited


def move_unsavable_delta_vertex(models, model):
    model.parts[2].segments[0].positions[5] += 1
    model.save()


def change_file_on_disk(models, model):
    model.parts[0].segments[0].positions[0] = 9
    with open(model.path, "ab") as other_program:
        other_program.write(b"\0")
    model.save()


def import_disagreeing_shared_values(models, model):
    obj = models / "two.obj"
    obj.write_text("".join(f"v {i} {i} {i}\n" for i in range(12)))
    model.import_obj(obj, part=0)


def import_wrong_count(models, model):
    obj = models / "short.obj"
    obj.write_text("v 1 2 3\n")
    model.import_obj(obj)


def save_delta_as_other_companions(models, model):
    model.save_as(models / "head3.ebo")


REFUSALS = [
    ("head2.ebo", move_unsavable_delta_vertex, vertwright.SaveRefused,
     "vertex 5 of part 2 has moved, but the file has no room for its position"),
    ("plain.ebo", change_file_on_disk, vertwright.SaveRefused,
     "was changed on disk since it was opened"),
    ("shared6.ebo", import_disagreeing_shared_values, vertwright.ObjError,
     "segments 0/0 and 0/1 share one position block: give them the same values"),
    ("plain.ebo", import_wrong_count, vertwright.ObjError,
     "its vertex count 1 differs from the selection's 13"),
    ("head2.ebo", save_delta_as_other_companions, vertwright.SaveRefused,
     "the new file would look for other companion files"),
]


@pytest.mark.parametrize("name,act,error,reason", REFUSALS, ids=[r[1].__name__ for r in REFUSALS])
def test_refusals_change_no_file(models, name, act, error, reason):
    model = vertwright.open(models / name)
    before = {p: p.read_bytes() for p in models.rglob("*") if p.is_file()}
    dumped = model.dump()
    with pytest.raises(error) as raised:
        act(models, model)
    assert reason in raised.value.reason and reason in str(raised.value)
    if act is change_file_on_disk:
        before[models / name] += b"\0"
    after = {p: p.read_bytes() for p in models.rglob("*") if p.is_file() and p.suffix != ".obj"}
    assert after == {p: b for p, b in before.items() if p.suffix != ".obj"}
    if error is vertwright.ObjError:
        assert model.dump() == dumped


def test_export_then_import_round_trips_and_save_as_moves_the_model(models, twin, monkeypatch):
    monkeypatch.chdir(models)
    model = vertwright.open("plain.ebo")
    monkeypatch.chdir(twin)
    model.export_obj(models / "all.obj")
    assert (models / "all.obj").read_text() == cli(
        "export-obj", twin / "plain.ebo", "-o", "-").stdout
    with pytest.raises(vertwright.ObjError, match="model file itself"):
        model.export_obj(models / "plain.ebo")
    model.parts[1].segments[0].positions[:] = 0
    model.import_obj(models / "all.obj")
    model.save()
    assert model.path == str(models / "plain.ebo")
    model.save_as(models / "copy.ebo")
    assert model.path == str(models / "copy.ebo")
    assert (models / "copy.ebo").read_bytes() == (twin / "plain.ebo").read_bytes()


@pytest.mark.parametrize("path,companions,error,reason", [
    ("missing.ebo", None, vertwright.LoadError, "no such file"),
    ("head2.ebo", "elsewhere", vertwright.LoadError, "missing companion file"),
    ("plain.ebo", None, IndexError, "part index out of range"),
])
def test_failures_name_their_reason(models, path, companions, error, reason):
    with pytest.raises(error, match=reason):
        model = vertwright.open(models / path,
                                companions and models / companions)
        model.parts[5]


def test_version_is_the_tools():
    assert cli("--version").stdout.split() == ["vertwright-cli", vertwright.__version__]


def test_import_into_a_delta_model_takes_the_positions_alone(models):
    model = vertwright.open(models / "head2.ebo")
    segment = model.parts[0].segments[0]
    uvs = segment.uvs.copy()
    obj = models / "part0.obj"
    obj.write_text("".join(f"v {i} {-i} 0.5\nvt 0.5 0.5\n" for i in range(len(segment))))
    model.import_obj(obj, part=0)
    assert segment.positions.tolist() == [[i, i, 0.5] for i in range(len(segment))]
    assert np.array_equal(segment.uvs, uvs)
