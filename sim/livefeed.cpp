// vds-livefeed --db PATH [--interval-ms N]: keeps the demo database's newest traffic and
// equipment status changing, so the monitoring program's figures move. Runs until killed; a
// round that cannot be written (the database busy or gone) is reported and the next one tried.

#include "LiveFeed.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRandomGenerator>
#include <QStringList>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {
int Usage() {
    std::fprintf(stderr,
                 "usage: vds-livefeed --db PATH [--interval-ms N]   (N > 0, default 3000)\n");
    return 2;
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString db;
    int intervalMs = 3000;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--db") && i + 1 < args.size()) {
            db = args[++i];
        } else if (args[i] == QLatin1String("--interval-ms") && i + 1 < args.size()) {
            bool ok = false;
            intervalMs = args[++i].toInt(&ok);
            if (!ok || intervalMs <= 0) return Usage();
        } else {
            return Usage();
        }
    }
    if (db.isEmpty()) return Usage();

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
