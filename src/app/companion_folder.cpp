#include "app/companion_folder.h"

#include "app/frm_main.h"
#include "model/ebo/ebo_loader.h"

#include <QAction>
#include <QFile>

#include <cstdint>
#include <system_error>

namespace vw {

namespace {

const QString kFolderKey = QStringLiteral("companionFolder");

std::filesystem::path toPath(const QString& text) {
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

QString toText(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

// The header decides the layout; a file that cannot be read is no delta model to explain.
bool isDeltaModel(const QString& modelPath) {
    QFile file(modelPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(64);
    const auto* bytes = reinterpret_cast<const uint8_t*>(head.constData());
    return usesCompanionFiles({bytes, static_cast<size_t>(head.size())});
}

QString fileLine(const std::filesystem::path& file) {
    const bool found = QFile::exists(toText(file));
    return QStringLiteral("\n    ") + toText(file) +
           (found ? QStringLiteral(" (found)") : QStringLiteral(" (missing)"));
}

} // namespace

CompanionFolder::CompanionFolder(QString option, Settings& settings, QString programDir)
    : m_option(std::move(option)), m_settings(settings), m_programDir(std::move(programDir)) {}

QString CompanionFolder::folder() const {
    if (!m_option.isEmpty())
        return m_option;
    const QString kept = m_settings.text(kFolderKey);
    return kept.isEmpty() ? m_programDir : kept;
}

void CompanionFolder::choose(const QString& chosen) {
    m_settings.setText(kFolderKey, chosen);
}

void connectCompanionFolderCommand(frmMain& main, CompanionFolder& companions, AskFolder ask) {
    QObject::connect(main.mnuOptionsCompanions(), &QAction::triggered, &main,
                     [&main, &companions, ask = std::move(ask)] {
                         const QString chosen = ask(companions.folder());
                         if (chosen.isEmpty())
                             return;
                         companions.choose(chosen);
                         main.setCompanionFolder(toPath(companions.folder()));
                     });
}

QString companionHelpText(const QString& modelPath, const std::filesystem::path& folder) {
    const auto files = companionFiles(QFile::encodeName(modelPath).toStdString(), folder);
    if (!files || !isDeltaModel(modelPath))
        return {};
    std::error_code error;
    if (std::filesystem::is_regular_file(files->baseMesh, error) &&
        std::filesystem::is_regular_file(files->offsets, error))
        return {};
    QString text = QStringLiteral("This model keeps its base mesh in two companion files, "
                                  "looked for in ") +
                   toText(folder) + QStringLiteral(":");
    text += fileLine(files->baseMesh) + fileLine(files->offsets);
    text += QStringLiteral("\n\nChoose the folder that holds lod/ and the misc file with "
                           "Options > Companion Files Folder..., or start the editor with "
                           "--companions DIR.");
    return text;
}

} // namespace vw
