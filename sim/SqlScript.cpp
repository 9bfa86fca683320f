#include "SqlScript.h"

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>

QString RunSqlScript(const QString& databasePath, const QString& sql) {
    const QFileInfo file(databasePath);
    const bool created = !file.exists() || file.size() == 0;
    sqlite3* db = nullptr;
    if (sqlite3_open(databasePath.toUtf8().constData(), &db) != SQLITE_OK) {
        const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : "cannot open");
        sqlite3_close(db);
        return message;
    }
    sqlite3_busy_timeout(db, 3000);
    char* error = nullptr;
    QString message;
    // A new database runs in WAL mode, which the file keeps: a writer (the live feed, the
    // stand-in server's answers) then never blocks the programs' reads, nor they the writer.
    const QByteArray script =
        (created ? QByteArrayLiteral("PRAGMA journal_mode=WAL;\n") : QByteArray()) + sql.toUtf8();
    if (sqlite3_exec(db, script.constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        message = QString::fromUtf8(error ? error : "SQL error");
        sqlite3_free(error);
    }
    sqlite3_close(db);
    return message;
}

QString RunSqlFile(const QString& databasePath, const QString& scriptPath) {
    QFile file(scriptPath);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("cannot read %1").arg(scriptPath);
    const QString message = RunSqlScript(databasePath, QString::fromUtf8(file.readAll()));
    return message.isEmpty() ? message : scriptPath + QStringLiteral(": ") + message;
}
