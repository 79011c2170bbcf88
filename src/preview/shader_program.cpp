#include "preview/shader_program.h"

#include <QStringList>

namespace vw {
namespace {

// Drivers write whole pages of log; the first line that says something is enough for one line.
QString firstComplaint(const QString& log) {
    for (const QString& line : log.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            return trimmed;
    }
    return QStringLiteral("no reason given");
}

} // namespace

QString buildShaderProgram(QOpenGLShaderProgram& program, const QString& name,
                           const QByteArray& vertexSource, const QByteArray& fragmentSource) {
    if (!program.addShaderFromSourceCode(QOpenGLShader::Vertex, vertexSource))
        return QStringLiteral("the %1 vertex shader did not compile: %2")
            .arg(name, firstComplaint(program.log()));
    if (!program.addShaderFromSourceCode(QOpenGLShader::Fragment, fragmentSource))
        return QStringLiteral("the %1 fragment shader did not compile: %2")
            .arg(name, firstComplaint(program.log()));
    if (!program.link())
        return QStringLiteral("the %1 shaders did not link: %2")
            .arg(name, firstComplaint(program.log()));
    return {};
}

} // namespace vw
