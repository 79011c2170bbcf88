#include "app/working_copy.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace vw {

namespace {

// Permission bits say little (a root user, read-only mounts); creating a file says it all.
bool canCreateFileIn(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("probe-XXXXXX")));
    return probe.open();
}

std::filesystem::path toPath(const QString& text) {
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

} // namespace

QString workingCopyFolder(const QString& programDir, const QString& fallbackDir) {
    if (canCreateFileIn(programDir))
        return programDir;
    if (!QDir().mkpath(fallbackDir))
        qWarning("Cannot create the working-copy folder %s", qPrintable(fallbackDir));
    return fallbackDir;
}

ModelFolders editorFolders() {
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString folder = workingCopyFolder(
        programDir, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    return {toPath(programDir), toPath(QDir(folder).filePath(QStringLiteral("current.tmp")))};
}

} // namespace vw
