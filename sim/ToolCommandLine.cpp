#include "ToolCommandLine.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
constexpr int kUsageError = 2;
}  // namespace

TToolCommandLine::TToolCommandLine(const QString& description) {
    QCoreApplication::setApplicationVersion(QStringLiteral(VDS_VERSION));
    setApplicationDescription(description);
    // Not addHelpOption(): its --help-all would need process(), which ends the program itself.
    addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                 QStringLiteral("Displays this help.")));
    addVersionOption();
}

std::optional<int> TToolCommandLine::Parse(const QStringList& arguments) {
    if (!parse(arguments)) return ToolUsageError(errorText());
    if (isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(helpText()), stdout);
        return 0;
    }
    if (isSet(QStringLiteral("version"))) {
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
