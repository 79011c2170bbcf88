#include "app/model_file_watch.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

namespace vw {

ModelFileWatch::ModelFileWatch(QObject* parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)) {
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this] {
        rewatchFile();
        emit touched();
    });
    // A file replaced by a rename is no longer the one watched; its folder sees the new one come.
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        rewatchFile();
        emit touched();
    });
}

void ModelFileWatch::watch(const QString& path) {
    const QStringList watched = m_watcher->files() + m_watcher->directories();
    if (!watched.isEmpty())
        m_watcher->removePaths(watched);
    m_path = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    if (m_path.isEmpty())
        return;
    m_watcher->addPath(QFileInfo(m_path).absolutePath());
    rewatchFile();
}

void ModelFileWatch::rewatchFile() {
    if (!m_path.isEmpty() && !m_watcher->files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher->addPath(m_path);
}

} // namespace vw
