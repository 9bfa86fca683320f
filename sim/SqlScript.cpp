#include "SqlScript.h"

#include <sqlite3.h>

#include <QFile>

QString RunSqlScript(const QString& databasePath, const QString& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(databasePath.toUtf8().constData(), &db) != SQLITE_OK) {
        const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : "cannot open");
        sqlite3_close(db);
        return message;
    }
    sqlite3_busy_timeout(db, 3000);
    char* error = nullptr;
    QString message;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
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
