#pragma once
// Building one of the Preview's shader programs, and the line that tells the user why it could
// not be built.

#include <QByteArray>
#include <QOpenGLShaderProgram>
#include <QString>

namespace vw {

// Compiles both sources into program and links it, in the current context. Returns the empty
// text when the program is ready to draw, else one line naming the program (name), the step that
// failed and the compiler's first complaint.
QString buildShaderProgram(QOpenGLShaderProgram& program, const QString& name,
                           const QByteArray& vertexSource, const QByteArray& fragmentSource);

} // namespace vw
