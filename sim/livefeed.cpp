// vds-livefeed --db PATH [--interval-ms N]: keeps the demo database's newest traffic and
// equipment status changing, so the monitoring program's figures move. Runs until killed; a
// round that cannot be written (the database busy or gone) is reported and the next one tried.

#include "LiveFeed.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRandomGenerator>
#include <chrono>
#include <cstdio>
#include <thread>

#include "ToolCommandLine.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TToolCommandLine parser(
        QStringLiteral("Writes new newest-traffic and status rows into the demo "
                       "database, one round every interval, until killed."));
    const QCommandLineOption dbOption(QStringLiteral("db"),
                                      QStringLiteral("The SQLite database to write."),
                                      QStringLiteral("PATH"));
    const QCommandLineOption intervalOption(
        QStringLiteral("interval-ms"),
        QStringLiteral("Milliseconds between rounds (default 3000)."), QStringLiteral("N"),
        QStringLiteral("3000"));
    parser.addOptions({dbOption, intervalOption});
    if (const auto rc = parser.Parse(app.arguments())) return *rc;
    if (!parser.positionalArguments().isEmpty())
        return ToolUsageError(
            QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));
    const QString db = parser.value(dbOption);
    if (db.isEmpty()) return ToolUsageError(QStringLiteral("needs --db"));
    bool ok = false;
    const int intervalMs = parser.value(intervalOption).toInt(&ok);
    if (!ok || intervalMs <= 0)
        return ToolUsageError(QStringLiteral("--interval-ms needs a number above 0"));

    QRandomGenerator random(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
    for (;;) {
        TFeedRound round;
        const QString error = FeedOnce(db, random, QDateTime::currentDateTime(), &round);
        if (!error.isEmpty())
            std::fprintf(stderr, "vds-livefeed: %s\n", qPrintable(error));
        else
            std::printf("%s traffic %d, crossings %d, status %d, flags changed %d\n",
                        qPrintable(QDateTime::currentDateTime().toString(Qt::ISODate)),
                        round.trafficRows, round.crossRows, round.statusRows, round.flagsChanged);
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
    }
}
