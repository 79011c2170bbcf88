#include "app/command_line.h"

#include "app/open_model.h"

#include <QCommandLineParser>

namespace vw {

namespace {

const QString kCompanionsOption = QStringLiteral("companions");

void describeOptions(QCommandLineParser& parser) {
    // "-platform" and the other options of Qt itself must not read as bundles of short options
    // ("-reverse" as -v...).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("Edits the vertices of EBO 3D model files."));
    parser.addOption(
        {kCompanionsOption,
         QStringLiteral("Look up a delta model's companion files (lod/base_lod<c>.ebo, "
                        "misc<c>.dat) in <dir> for this run."),
         QStringLiteral("dir")});
    // Not addHelpOption(): its --help-all lists Qt's own options, which only a window takes.
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")},
                      QStringLiteral("Displays these options and exits.")});
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("model"), QStringLiteral("The EBO model to open."),
                                 QStringLiteral("[model.ebo]"));
}

} // namespace

EditorCommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    describeOptions(parser);
    EditorCommandLine result;
    if (!parser.parse(arguments))
        result.error = parser.errorText();
    result.help = parser.isSet(QStringLiteral("help"));
    result.version = parser.isSet(QStringLiteral("version"));
    result.companions = parser.value(kCompanionsOption);
    result.modelPath = stripQuotes(parser.positionalArguments().join(u' '));
    return result;
}

QString commandLineHelp() {
    QCommandLineParser parser;
    describeOptions(parser);
    return parser.helpText();
}

QString versionText() {
    return QStringLiteral("vertwright " VW_VERSION "\n");
}

} // namespace vw
