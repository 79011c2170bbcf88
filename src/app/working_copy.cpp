#include "app/working_copy.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRegularExpression>
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

namespace {

const QString kSharedName = QStringLiteral("current.tmp");

QString lockPathOf(const QString& copy) {
    return copy + QStringLiteral(".lock");
}

// Locks the copy's lock file; a lock whose editor is gone is taken over.
std::unique_ptr<QLockFile> lockCopy(const QString& copy) {
    auto lock = std::make_unique<QLockFile>(lockPathOf(copy));
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

// Own-named copies whose editor ended without removing them.
void removeLeftOverCopies(const QDir& folder) {
    static const QRegularExpression ownName(QStringLiteral("^current-\\d+\\.tmp$"));
    for (const QString& name : folder.entryList({QStringLiteral("current-*.tmp")}, QDir::Files)) {
        if (!ownName.match(name).hasMatch())
            continue;
        const QString copy = folder.filePath(name);
        if (std::unique_ptr<QLockFile> lock = lockCopy(copy)) {
            QFile::remove(copy);
            lock->unlock();
        }
    }
}

} // namespace

WorkingCopyClaim::WorkingCopyClaim(const QString& folder) {
    const QDir dir(folder);
    removeLeftOverCopies(dir);
    m_path = dir.filePath(kSharedName);
    m_lock = lockCopy(m_path);
    if (m_lock)
        return;
    m_ownName = true;
    m_path = dir.filePath(QStringLiteral("current-%1.tmp").arg(QCoreApplication::applicationPid()));
    m_lock = lockCopy(m_path);
}

// The model's bytes do not outlive the editor that opened it.
WorkingCopyClaim::~WorkingCopyClaim() {
    if (m_lock)
        QFile::remove(m_path);
}

QString editorWorkingCopyFolder() {
    return workingCopyFolder(QCoreApplication::applicationDirPath(),
                             QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

ModelFolders editorFolders(const WorkingCopyClaim& claim) {
    return {toPath(QCoreApplication::applicationDirPath()), toPath(claim.path())};
}

} // namespace vw
