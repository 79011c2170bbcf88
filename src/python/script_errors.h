#pragma once
// The module's exceptions: vertwright.Error and its subclasses, each carrying the library's
// one-line reason as its reason attribute.

#include <pybind11/pybind11.h>

#include <string>

namespace vw::script {

enum class ErrorKind { Load, SaveRefused, Obj };

// Thrown by the bindings, turned into the Python exception of its kind.
struct ScriptError {
    ErrorKind kind;
    std::string message; // the exception's text
    std::string reason;  // the library's reason alone
    std::string path;    // the file concerned
};

// Adds Error, LoadError, SaveRefused and ObjError to the module and translates ScriptError.
void addErrors(pybind11::module_& module);

} // namespace vw::script
