// The editor's entry: the main window, then the unsaved edits a crashed editor left, or else the
// model named on the command line.

#include "app/command_line.h"
#include "app/companion_folder.h"
#include "app/frm_main.h"
#include "app/journal_files.h"
#include "app/open_model.h"
#include "app/quit_signals.h"
#include "app/recovery.h"
#include "app/settings.h"
#include "app/start_options.h"
#include "app/working_copy.h"
#include "dialogs/prompts.h"
#include "model/editing/history/journal_writer.h"
#include "model/files/file_io.h"
#include "model/model.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>

#include <cstdio>

namespace {

QStringList rawArguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Help and version need no display, so they are answered before the window system is asked
// for one.
int answerWithoutWindows(int argc, char* argv[], const vw::EditorCommandLine& commandLine) {
    QCoreApplication core(argc, argv);
    const QString text = commandLine.help ? vw::commandLineHelp() : vw::versionText();
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("Vertwright"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VW_VERSION));
    const vw::EditorCommandLine early = vw::parseCommandLine(rawArguments(argc, argv));
    if (early.help || early.version)
        return answerWithoutWindows(argc, argv, early);

    // The application takes its own options (-platform, -style...) out of the arguments.
    QApplication app(argc, argv);
    const vw::EditorCommandLine commandLine = vw::parseCommandLine(QApplication::arguments());
    if (!commandLine.error.isEmpty()) {
        std::fprintf(stderr, "vertwright: %s\ntry 'vertwright --help'\n",
                     qPrintable(commandLine.error));
        return 2;
    }

    vw::QtSettings settings;
    vw::CompanionFolder companions(commandLine.companions, settings,
                                   QApplication::applicationDirPath());
    const vw::WorkingCopyClaim workingCopy(vw::editorWorkingCopyFolder());
    vw::ModelFolders folders = vw::editorFolders(workingCopy);
    folders.programDir = QFile::encodeName(companions.folder()).toStdString();

    vw::Model model;
    vw::QtPrompts prompts;
    frmMain window(model, folders, prompts);
    prompts.setParentWindow(&window);
    window.setSettings(&settings);
    vw::connectCompanionFolderCommand(window, companions, [&window](const QString& start) {
        return QFileDialog::getExistingDirectory(&window, QStringLiteral("Companion Files Folder"),
                                                 start);
    });
    const int64_t pid = vw::platform::processId();
    const std::filesystem::path journals = vw::journalFolder();
    vw::FileJournalStore journalStore(vw::journalPathFor(journals, pid));
    vw::JournalWriter journal(window.document(), journalStore, pid);
    // Ended from outside, the editor closes as on a quit but keeps the journal of any unsaved
    // edits for the next start.
    bool endedBySignal = false;
    const vw::QuitSignals quitSignals([&] {
        endedBySignal = true;
        window.closeWithoutAsking();
        QApplication::quit();
    });

    // Modal: the main window appears, and a model opens, once it has closed.
    if (vw::showsSplashAtStart(&settings))
        window.showSplash();
    if (endedBySignal)
        return 0;
    window.show();

    const bool recovered = vw::offerRecovery(window, journals, pid);
    if (!recovered && !endedBySignal && !commandLine.modelPath.isEmpty())
        vw::openModel(window, commandLine.modelPath);

    const int code = endedBySignal ? 0 : QApplication::exec();
    // The window closed after the user saved or discarded the edits.
    if (!endedBySignal)
        journal.discard();
    return code;
}
