#include "ToolCommandLine.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
constexpr int kUsageError = 2;
}  // namespace

void SetUpToolCommandLine(QCommandLineParser& parser, const QString& description) {
    QCoreApplication::setApplicationVersion(QStringLiteral(VDS_VERSION));
    parser.setApplicationDescription(description);
    // Not addHelpOption(): its --help-all would need process(), which ends the program itself.
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Displays this help.")));
    parser.addVersionOption();
}

std::optional<int> ParseToolCommandLine(QCommandLineParser& parser, const QStringList& arguments) {
    if (!parser.parse(arguments)) return ToolUsageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    return std::nullopt;
}

int ToolUsageError(const QString& message) {
    const QString tool = QCoreApplication::applicationName();
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", qPrintable(tool), qPrintable(message),
                 qPrintable(tool));
    return kUsageError;
}
