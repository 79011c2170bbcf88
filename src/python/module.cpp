// The vertwright Python module: EBO models opened with the editor's loader, their vertices as
// NumPy arrays over the model's own memory, saved with its verified, atomic save.

#include "model/block_sharing.h"
#include "model/files/file_io.h"
#include "script_errors.h"
#include "script_model.h"
#include "vertex_arrays.h"

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <memory>
#include <optional>

namespace py = pybind11;
using namespace vw;
using namespace vw::script;

namespace {

ScriptModel& modelOf(py::handle owner) {
    return owner.cast<ScriptModel&>();
}

void check(const Result& result, ErrorKind kind, const std::string& path) {
    if (!result)
        throw ScriptError{kind, result.reason(), result.reason(), path};
}

// A sequence index in Python's manner: negative counts from the end.
size_t indexInto(py::ssize_t index, size_t size, const char* what) {
    const py::ssize_t count = py::ssize_t(size);
    if (index < 0)
        index += count;
    if (index < 0 || index >= count)
        throw py::index_error(std::string(what) + " index out of range");
    return size_t(index);
}

ObjSelection selectionOf(const ScriptModel& model, std::optional<int> part,
                         std::optional<int> seg) {
    const ObjSelection selection{part, seg};
    if (const Result valid = checkSelection(model.model(), selection); !valid)
        throw py::index_error(valid.reason());
    return selection;
}

const char* layoutName(ModelLayout layout) {
    switch (layout) {
    case ModelLayout::Version6:
        return "version6";
    case ModelLayout::Delta:
        return "delta";
    default:
        return "plain";
    }
}

struct SegmentView {
    py::object owner;
    SegmentRef ref;

    const Segment& segment() const {
        return modelOf(owner).model().Parts[size_t(ref.part)].segments[size_t(ref.seg)];
    }
};

struct SegmentList {
    py::object owner;
    int32_t part;

    size_t size() const { return modelOf(owner).model().Parts[size_t(part)].segments.size(); }
    SegmentView at(py::ssize_t index) const {
        return {owner, {part, int32_t(indexInto(index, size(), "segment"))}};
    }
};

struct PartView {
    py::object owner;
    int32_t index;
};

struct PartList {
    py::object owner;

    size_t size() const { return modelOf(owner).model().Parts.size(); }
    PartView at(py::ssize_t index) const {
        return {owner, int32_t(indexInto(index, size(), "part"))};
    }
};

// A sequence's items as a list, for iteration.
template <typename List> py::list itemsOf(const List& list) {
    py::list items;
    for (size_t i = 0; i < list.size(); ++i)
        items.append(list.at(py::ssize_t(i)));
    return items;
}

std::string named(SegmentRef ref) {
    return std::to_string(ref.part) + "/" + std::to_string(ref.seg);
}

// The sharers of each kind of block the segment shares, as (part, segment) pairs.
py::dict sharedWith(const SegmentView& view) {
    static const std::pair<BlockKind, const char*> kinds[] = {
        {kPositionBlock, "positions"}, {kUvBlock, "uvs"}, {kColourBlock, "colors"}};
    py::dict shared;
    for (const auto& [kind, name] : kinds) {
        py::list others;
        for (SegmentRef other : sharersOf(modelOf(view.owner).model(), view.ref, kind))
            others.append(py::make_tuple(other.part, other.seg));
        if (!others.empty())
            shared[name] = others;
    }
    return shared;
}

std::shared_ptr<ScriptModel> openModel(const std::filesystem::path& path,
                                       const std::optional<std::filesystem::path>& companions) {
    const std::string file = path.string();
    for (const SaveBackup& backup : interruptedSaveBackups(path)) {
        const std::string warning =
            backup.leftAlone.empty()
                ? "a save of " + file +
                      " was interrupted, so it may be incomplete; its earlier content is in " +
                      backup.path.string()
                : "left " + backup.path.string() + " alone: " + backup.leftAlone;
        if (PyErr_WarnEx(PyExc_RuntimeWarning, warning.c_str(), 1) < 0)
            throw py::error_already_set();
    }
    try {
        return std::make_shared<ScriptModel>(file, companions);
    } catch (const LoadFailure& failure) {
        throw ScriptError{ErrorKind::Load, "cannot load " + failure.path + ": " + failure.reason,
                          failure.reason, failure.path};
    }
}

void bindSegments(py::module_& m) {
    py::class_<SegmentView>(m, "Segment",
                            "One segment of a part: its vertices as NumPy arrays over the model's "
                            "own memory. Writing into positions, uvs or colors edits the model.")
        .def_property_readonly(
            "positions",
            [](const SegmentView& s) {
                return blockArray(s.owner, modelOf(s.owner), s.ref, kPositionBlock);
            },
            "N x 3 float32 view of x, y, z as the editor's sheet shows them (y is the file's "
            "value negated). Writable.")
        .def_property_readonly(
            "uvs",
            [](const SegmentView& s) {
                return blockArray(s.owner, modelOf(s.owner), s.ref, kUvBlock);
            },
            "N x 2 float32 view of u, v. Read-only where the file keeps none (the delta layout).")
        .def_property_readonly(
            "colors",
            [](const SegmentView& s) {
                return blockArray(s.owner, modelOf(s.owner), s.ref, kColourBlock);
            },
            "N x 4 uint8 view of red, green, blue, alpha. Read-only where the file keeps none "
            "(version 6 and the delta layout).")
        .def_property_readonly(
            "strip",
            [](const SegmentView& s) { return stripArray(s.owner, modelOf(s.owner), s.ref); },
            "The triangle strip: int16 vertex indices, read-only.")
        .def_property_readonly(
            "part", [](const SegmentView& s) { return s.ref.part; }, "The part's number.")
        .def_property_readonly(
            "index", [](const SegmentView& s) { return s.ref.seg; },
            "The segment's number within its part.")
        .def_property_readonly("shared_with", &sharedWith,
                               "The segments reading the same block of the file, as "
                               "{'positions' | 'uvs' | 'colors': [(part, segment), ...]}; their "
                               "arrays are views of one storage.")
        .def(
            "__len__", [](const SegmentView& s) { return s.segment().verts.size(); },
            "The number of vertices.")
        .def("__repr__", [](const SegmentView& s) {
            return "<vertwright.Segment " + named(s.ref) + ", " +
                   std::to_string(s.segment().verts.size()) + " vertices>";
        });

    py::class_<SegmentList>(m, "SegmentList", "The segments of a part, a read-only sequence.")
        .def("__len__", &SegmentList::size)
        .def("__getitem__", &SegmentList::at)
        .def("__iter__", [](const SegmentList& list) { return py::iter(itemsOf(list)); });
}

void bindParts(py::module_& m) {
    py::class_<PartView>(m, "Part", "One part of the model.")
        .def_property_readonly(
            "segments",
            [](const PartView& p) {
                return SegmentList{p.owner, p.index};
            },
            "The part's segments, a sequence of Segment.")
        .def_property_readonly(
            "index", [](const PartView& p) { return p.index; }, "The part's number.")
        .def("__repr__", [](const PartView& p) {
            return "<vertwright.Part " + std::to_string(p.index) + ", " +
                   std::to_string(SegmentList{p.owner, p.index}.size()) + " segments>";
        });

    py::class_<PartList>(m, "PartList", "The parts of a model, a read-only sequence.")
        .def("__len__", &PartList::size)
        .def("__getitem__", &PartList::at)
        .def("__iter__", [](const PartList& list) { return py::iter(itemsOf(list)); });
}

void bindModel(py::module_& m) {
    py::class_<ScriptModel, std::shared_ptr<ScriptModel>>(
        m, "Model", "An EBO model opened with vertwright.open().")
        .def_property_readonly(
            "path", [](const ScriptModel& s) { return s.model().modelPath; },
            "The model's file: where it was opened from, or last saved as.")
        .def_property_readonly(
            "layout", [](const ScriptModel& s) { return layoutName(s.model().layout); },
            "'plain', 'version6' or 'delta'.")
        .def_property_readonly(
            "companions", [](const ScriptModel& s) { return s.companionFolder().string(); },
            "The folder where a delta model's companion files were looked up.")
        .def_property_readonly(
            "parts", [](py::object self) { return PartList{self}; },
            "The model's parts, a sequence of Part.")
        .def(
            "save",
            [](ScriptModel& s) { check(s.save(), ErrorKind::SaveRefused, s.model().modelPath); },
            "Saves the model over its file, atomically, after reading the patched bytes back. "
            "Raises SaveRefused, the file unchanged, when the edits cannot be stored or the file "
            "was changed on disk since it was opened.")
        .def(
            "save_as",
            [](ScriptModel& s, const std::filesystem::path& path, bool otherCompanions) {
                check(s.saveAs(path.string(), otherCompanions), ErrorKind::SaveRefused,
                      path.string());
            },
            py::arg("path"), py::kw_only(), py::arg("other_companions") = false,
            "Saves the model to path, which becomes its file. A delta model whose new name would "
            "look for other companion files is refused unless other_companions is True.")
        .def(
            "export_obj",
            [](ScriptModel& s, const std::filesystem::path& path, std::optional<int> part,
               std::optional<int> seg) {
                check(s.exportObj(selectionOf(s, part, seg), path), ErrorKind::Obj, path.string());
            },
            py::arg("path"), py::arg("part") = py::none(), py::arg("seg") = py::none(),
            "Writes a Wavefront OBJ file of the whole model, one part, or one segment of a part, "
            "as vertwright-cli export-obj does.")
        .def(
            "import_obj",
            [](ScriptModel& s, const std::filesystem::path& path, std::optional<int> part,
               std::optional<int> seg) {
                check(s.importObj(selectionOf(s, part, seg), path), ErrorKind::Obj, path.string());
            },
            py::arg("path"), py::arg("part") = py::none(), py::arg("seg") = py::none(),
            "Reads positions (and texture coordinates where the layout keeps them) from an OBJ "
            "file into the model, as vertwright-cli import-obj does, without saving.")
        .def(
            "dump",
            [](ScriptModel& s) { return py::module_::import("json").attr("loads")(s.json()); },
            "The model as the dict that vertwright-cli dump writes as JSON.")
        .def("__repr__", [](const ScriptModel& s) {
            return "<vertwright.Model " + quotedPath(s.model().modelPath) + ", " +
                   layoutName(s.model().layout) + ">";
        });
}

} // namespace

PYBIND11_MODULE(vertwright, m) {
    m.doc() = "EBO 3D models for scripts: open a model, compute on its vertices as NumPy arrays, "
              "save it byte-exact with the editor's own saver.\n\n"
              "    m = vertwright.open('hull.ebo')\n"
              "    for part in m.parts:\n"
              "        for seg in part.segments:\n"
              "            numpy.round(seg.positions, 3, out=seg.positions)\n"
              "    m.save()";
    m.attr("__version__") = VW_VERSION;
    addErrors(m);
    bindSegments(m);
    bindParts(m);
    bindModel(m);
    m.def("open", &openModel, py::arg("path"), py::arg("companions") = py::none(),
          "Loads the EBO model at path. A delta model's companion files (lod/base_lod<c>.ebo and "
          "misc<c>.dat) are looked up in companions, by default the model's own folder. Raises "
          "LoadError with the loader's reason.");
}
