#pragma once
// Tells when another program may have changed the open model's file: written in place, replaced
// by a rename, cut short or deleted.

#include <QObject>
#include <QString>

class QFileSystemWatcher;

namespace vw {

class ModelFileWatch : public QObject {
    Q_OBJECT
public:
    explicit ModelFileWatch(QObject* parent = nullptr);

    // Watches the file at path from now on; an empty path watches nothing.
    void watch(const QString& path);

signals:
    // Something happened to the file or in its folder; whether the file changed is for the
    // receiver to find out (the editor's own saves touch it too).
    void touched();

private:
    void rewatchFile();

    QFileSystemWatcher* m_watcher = nullptr;
    QString m_path;
};

} // namespace vw
