// vds-makedb <database file> <script.sql>...: builds an SQLite database from SQL scripts, in
// order, so a demo always starts from the scripts' state. The new database is built beside the
// target and replaces it only when every script ran: a failed build leaves the old file as it was.

#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "SqlScript.h"
#include "ToolCommandLine.h"

namespace {

int Fail(const QString& message) {
    std::fprintf(stderr, "vds-makedb: %s\n", qPrintable(message));
    return 1;
}

// SQLite's journal files of a database; those of a replaced file would be applied to the new one.
void RemoveJournals(const QString& database) {
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(database + QLatin1String(suffix));
}

int Build(const QString& target, const QStringList& scripts) {
    const QFileInfo info(target);
    if (info.exists() && !info.isFile())
        return Fail(QStringLiteral("%1 is not a file").arg(target));
    if (!QFileInfo(info.absolutePath()).isDir())
        return Fail(QStringLiteral("no folder %1").arg(info.absolutePath()));

    QTemporaryFile building(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                            QStringLiteral(".building-XXXXXX"));
    if (!building.open())
        return Fail(QStringLiteral("cannot create a file in %1: %2")
                        .arg(info.absolutePath(), building.errorString()));
    building.close();  // SQLite writes it by name; an empty file is an empty database
    const QString path = building.fileName();
    for (const QString& script : scripts) {
        const QString error = RunSqlFile(path, script);
        if (!error.isEmpty()) {
            RemoveJournals(path);
            return Fail(error + QStringLiteral(" (%1 left as it was)").arg(target));
        }
    }
    QFile::setPermissions(path, info.exists()
                                    ? info.permissions()
                                    : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ReadGroup | QFileDevice::ReadOther);
    RemoveJournals(target);
    // One step: a reader sees the old database or the new one, never a half-built file.
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) != 0)
        return Fail(QStringLiteral("cannot replace %1: %2")
                        .arg(target, QString::fromLocal8Bit(std::strerror(errno))));
    building.setAutoRemove(false);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TToolCommandLine parser(
        QStringLiteral("Builds an SQLite database from SQL scripts, run in order. "
                       "The database is replaced only when every script ran."));
    parser.addPositionalArgument(QStringLiteral("database"),
                                 QStringLiteral("The database file to build."));
    parser.addPositionalArgument(QStringLiteral("script"), QStringLiteral("SQL scripts, in order."),
                                 QStringLiteral("<script.sql>..."));
    if (const auto rc = parser.Parse(app.arguments())) return *rc;
    const QStringList args = parser.positionalArguments();
    if (args.size() < 2)
        return ToolUsageError(QStringLiteral("needs a database file and at least one script"));
    return Build(args.first(), args.mid(1));
}
