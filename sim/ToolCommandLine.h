#pragma once
// What the demo tools' command lines share: --help and --version, and a wrong option, a missing
// argument or a bad value reported on stderr as "<tool>: <what>" with exit status 2.

#include <QCommandLineParser>
#include <QStringList>
#include <optional>

class TToolCommandLine : public QCommandLineParser {
public:
    // With --help and --version; sets the tool's version.
    explicit TToolCommandLine(const QString& description);

    // Parses arguments (the program name first). Returns the exit status the tool ends with when
    // it must not go on: 0 after --help or --version (written to stdout), 2 after an error.
    std::optional<int> Parse(const QStringList& arguments);
};

// Reports a usage error of the running tool; returns 2.
int ToolUsageError(const QString& message);
