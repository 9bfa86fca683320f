// vds-commsim: the stand-in communication server as a program, for the demo and for trying the
// control program by hand. Logs every request in hex to stdout; ends on SIGINT or SIGTERM.
//
//   vds-commsim [--port N] [--db PATH] [--demo] [--status OPCODE=TEXT]...

#include <QCommandLineParser>
#include <QCoreApplication>
#include <csignal>
#include <cstdio>

#include "DemoAnswers.h"
#include "SimDb.h"
#include "StandInServer.h"
#include "ToolCommandLine.h"

namespace {

int Fail(const QString& message) {
    std::fprintf(stderr, "vds-commsim: %s\n", qPrintable(message));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TToolCommandLine parser(QStringLiteral("Stand-in communication server"));
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("TCP port on 127.0.0.1 (default 3500)."),
                                        QStringLiteral("N"), QStringLiteral("3500"));
    const QCommandLineOption dbOption(
        QStringLiteral("db"),
        QStringLiteral("Database the programs read: an SQLite file, "
                       "or with VDS_DB_DRIVER=QPSQL a database on the "
                       "server libpq's environment names."),
        QStringLiteral("PATH"));
    const QCommandLineOption demoOption(
        QStringLiteral("demo"), QStringLiteral("Write controllers' answers into the database."));
    const QCommandLineOption statusOption(
        QStringLiteral("status"),
        QStringLiteral("Status (up to 12 characters) answered for an opcode; repeatable."),
        QStringLiteral("OPCODE=TEXT"));
    parser.addOptions({portOption, dbOption, demoOption, statusOption});
    if (const auto rc = parser.Parse(app.arguments())) return *rc;
    if (!parser.positionalArguments().isEmpty())
        return ToolUsageError(
            QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));

    bool ok = false;
    const int port = parser.value(portOption).toInt(&ok);
    if (!ok || port < 0 || port > 65535) return ToolUsageError(QStringLiteral("bad --port"));
    const QString db = parser.value(dbOption);
    const bool demo = parser.isSet(demoOption);
    if (demo && db.isEmpty()) return ToolUsageError(QStringLiteral("--demo needs --db"));
    if (!db.isEmpty() && !MissingDatabase(db).isEmpty()) return ToolUsageError(MissingDatabase(db));

    TStandInServer server;
    for (const QString& spec : parser.values(statusOption)) {
        const int eq = spec.indexOf(QLatin1Char('='));
        const int opcode = eq > 0 ? spec.left(eq).toInt(&ok) : -1;
        const QByteArray text = spec.mid(eq + 1).toLatin1();
        if (eq <= 0 || !ok || opcode < 0 || opcode > 255 || text.size() > 12)
            return ToolUsageError(QStringLiteral("bad --status %1").arg(spec));
        server.SetStatus(opcode, text);
    }
    server.SetOnFrame([demo, db](const TReceivedFrame& request, bool accepted) {
        const QByteArray length = request.lengthField.left(request.lengthField.indexOf('\0'));
        std::printf("opcode %d length %s %s: %s\n", request.Opcode(), length.constData(),
                    accepted ? "accepted" : "refused", request.frame.toHex(' ').constData());
        std::fflush(stdout);
        if (demo && accepted) WriteDemoAnswers(db, request.frame);
    });

    // Blocked before the server's thread exists, so only sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    if (!server.Start("127.0.0.1", port)) return Fail(QString::fromStdString(server.Error()));
    std::printf("listening on 127.0.0.1:%d%s\n", server.Port(), demo ? " (demo)" : "");
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
    return 0;
}
