#include "app/recovery.h"

#include "app/frm_main.h"
#include "app/journal_files.h"
#include "app/open_model.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

namespace vw {
namespace {

QString modelText(const Journal& journal) {
    return QFile::decodeName(journal.model.path.c_str());
}

QString timeText(int64_t ns) {
    return QLocale().toString(QDateTime::fromMSecsSinceEpoch(ns / 1000000), QLocale::ShortFormat);
}

void removeJournal(const std::filesystem::path& file) {
    std::error_code error;
    std::filesystem::remove(file, error);
}

enum class Answer { Yes, No, Ended };

// Ended: the window closed meanwhile (the editor was told to end), and nothing is to be done.
Answer ask(frmMain& window, const QString& text, PromptIcon icon) {
    const PromptAnswer answer = window.prompts().message(
        text, QStringLiteral("Recover Unsaved Edits"), icon, PromptButtons::YesNo);
    if (!window.isVisible())
        return Answer::Ended;
    return answer == PromptAnswer::Yes ? Answer::Yes : Answer::No;
}

// Opens the journal's model and writes its edits back; the journal stays when either fails.
bool recover(frmMain& window, const std::filesystem::path& file, const Journal& journal,
             const std::filesystem::path& ownJournal) {
    openModel(window, modelText(journal));
    if (window.model().modelPath != journal.model.path)
        return false;
    if (Result applied = applyJournal(window.document(), journal); !applied) {
        window.reportFailure(QStringLiteral("recover the unsaved edits to"), modelText(journal),
                             applied.reason());
        return false;
    }
    // A journal under this editor's own name is its own from now on: the edits were just written
    // into it again.
    if (file != ownJournal)
        removeJournal(file);
    return true;
}

} // namespace

bool offerRecovery(frmMain& window, const std::filesystem::path& folder, int64_t ownPid) {
    for (const std::filesystem::path& file : leftJournals(folder, ownPid)) {
        Journal journal;
        if (Result read = readJournalFile(file, journal); !read) {
            window.prompts().message(
                QStringLiteral("Unsaved edits left by an editor that ended early cannot be "
                               "recovered and are discarded: %1")
                    .arg(QString::fromStdString(read.reason())),
                QStringLiteral("Recover Unsaved Edits"), PromptIcon::Warning, PromptButtons::Ok);
            removeJournal(file);
            continue;
        }
        if (const std::optional<std::string> changed = modelChangedReason(journal.model)) {
            const QString text =
                QStringLiteral("The unsaved edits to %1 made until %2 cannot be recovered: %3. "
                               "Discard them?")
                    .arg(modelText(journal), timeText(journal.writtenNs),
                         QString::fromStdString(*changed));
            const Answer answer = ask(window, text, PromptIcon::Warning);
            if (answer == Answer::Ended)
                return false;
            if (answer == Answer::Yes)
                removeJournal(file);
            continue;
        }
        const QString question = QStringLiteral("Recover the unsaved edits to %1 made until %2?")
                                     .arg(modelText(journal), timeText(journal.writtenNs));
        const Answer answer = ask(window, question, PromptIcon::Question);
        if (answer == Answer::Ended)
            return false;
        if (answer == Answer::Yes)
            return recover(window, file, journal, journalPathFor(folder, ownPid));
        removeJournal(file);
    }
    return false;
}

} // namespace vw
