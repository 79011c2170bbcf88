#include "script_errors.h"

#include <exception>

namespace py = pybind11;

namespace vw::script {

namespace {

// The module's attributes keep the types alive for as long as the interpreter needs them.
PyObject* gTypes[3] = {};

py::handle addType(py::module_& module, const char* name, const char* doc, py::handle base) {
    const std::string qualified = std::string("vertwright.") + name;
    PyObject* type = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, base.ptr(), nullptr);
    if (!type)
        throw py::error_already_set();
    module.add_object(name, py::reinterpret_steal<py::object>(type));
    return type;
}

void raise(const ScriptError& error) {
    py::handle type = gTypes[int(error.kind)];
    py::object instance = type(error.message);
    instance.attr("reason") = error.reason;
    instance.attr("path") = error.path;
    PyErr_SetObject(type.ptr(), instance.ptr());
}

} // namespace

void addErrors(py::module_& module) {
    const py::handle base = addType(
        module, "Error",
        "A vertwright operation failed. reason is the library's one-line reason, path the file "
        "concerned; the model file is as it was before the call.",
        PyExc_Exception);
    gTypes[int(ErrorKind::Load)] =
        addType(module, "LoadError", "A model file could not be loaded.", base).ptr();
    gTypes[int(ErrorKind::SaveRefused)] =
        addType(module, "SaveRefused", "A save was refused or failed; the file is as it was.", base)
            .ptr();
    gTypes[int(ErrorKind::Obj)] =
        addType(module, "ObjError", "An OBJ export or import failed; the model is as it was.", base)
            .ptr();
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown)
                std::rethrow_exception(thrown);
        } catch (const ScriptError& error) {
            raise(error);
        }
    });
}

} // namespace vw::script
