#include "app/open_model.h"

#include "app/start_options.h"

#include "app/companion_folder.h"
#include "app/frm_loading.h"
#include "app/frm_main.h"
#include "app/frm_panes.h"
#include "model/ebo/ebo_loader.h"
#include "model/files/file_io.h"
#include "panels/frm_parts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QStringList>

#include <algorithm>

namespace vw {

QString stripQuotes(const QString& text) {
    const QChar quote(u'"');
    QString rest = text;
    if (rest.contains(quote))
        rest.remove(0, 1);
    if (rest.contains(quote))
        rest.chop(1);
    return rest;
}

namespace {

std::string toNative(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString fromNative(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

QString modifiedText(const QString& file) {
    return QFileInfo(file).lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// Backups that cannot hold the file's newest complete content are named in the notice, one line
// each, and nothing more is done with them.
void noteBackupsLeftAlone(frmMain& main, const std::vector<SaveBackup>& backups) {
    QStringList lines;
    for (const SaveBackup& backup : backups) {
        if (!backup.leftAlone.empty())
            lines << QStringLiteral("Left %1 alone: %2")
                         .arg(fromNative(backup.path), QString::fromStdString(backup.leftAlone));
    }
    if (!lines.isEmpty())
        main.showNotice(lines.join(u'\n'));
}

// A save killed while it wrote the file in place left the file's earlier content in a backup:
// the user decides whether the file gets it back before it is read. Keeping the file as it is
// is the default, since the file may well be whole and newer.
void offerInterruptedSaveBackup(frmMain& main, const QString& path) {
    const std::vector<SaveBackup> backups = interruptedSaveBackups(toNative(path));
    noteBackupsLeftAlone(main, backups);
    const auto offered = std::find_if(backups.begin(), backups.end(),
                                      [](const SaveBackup& b) { return b.leftAlone.empty(); });
    if (offered == backups.end())
        return;
    const QString backup = fromNative(offered->path);
    const PromptAnswer answer = main.prompts().message(
        QStringLiteral("A save of %1 was interrupted, so it may be incomplete.")
            .arg(QFileInfo(path).fileName()),
        QStringLiteral("Vertwright"), PromptIcon::Warning, PromptButtons::YesNoDefaultNo,
        QStringLiteral("Its earlier content is in %1, written %2; the file was last changed %3. "
                       "Put the backup in place of the file? No keeps the file as it is.")
            .arg(backup, modifiedText(backup), modifiedText(path)));
    if (answer != PromptAnswer::Yes)
        return;
    if (const Result restored = restoreBackup(toNative(path), offered->path); !restored)
        main.prompts().message(QStringLiteral("Unable to restore %1").arg(path),
                               QStringLiteral("Error"), PromptIcon::Error, PromptButtons::Ok,
                               QString::fromStdString(restored.reason()));
}

// Anything the loader throws (no memory, a file system error) fails the load, as a bad file
// does; the open model stays as it was.
LoadOutcome guardedLoad(frmMain& main, const QString& path) {
    try {
        return loadModel(main.model(), toNative(path), main.folders());
    } catch (const std::exception& error) {
        return {kLoadFailed, error.what()};
    }
}

} // namespace

void openModel(frmMain& main, const QString& path) {
    offerInterruptedSaveBackup(main, path);
    frmLoading loading(&main);
    loading.show();
    // Painted now, so the message is on screen while the load runs.
    loading.repaint();

    const LoadOutcome outcome = guardedLoad(main, path);
    if (outcome.result != kLoadFailed) {
        main.document().modelReplaced();
        main.statusPanel()->clear();
        main.parts()->LoadList();
        main.showPanes()->Init_Ebo();
        if (fitsModelOnOpen(main.settings()))
            main.showPanes()->fitPlaneViews();
        main.setModelCommandsEnabled(true);
        main.addRecentFile(path);
        main.watchModelFile();
    } else {
        loading.hide();
        QString details = QString::fromStdString(outcome.reason);
        const QString help = companionHelpText(path, main.folders().programDir);
        if (!help.isEmpty())
            details += QStringLiteral("\n\n") + help;
        main.prompts().message(QStringLiteral("Unable to open file"), QStringLiteral("Error"),
                               PromptIcon::Error, PromptButtons::Ok, details);
    }

    // Input waits until the loading window is gone, so no command starts inside this one.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    loading.close();
}

} // namespace vw
