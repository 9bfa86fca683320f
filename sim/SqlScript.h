#pragma once
// Runs SQL scripts (several statements) on an SQLite file, for building the demo database and the
// tests' fixtures. Any thread; one call opens and closes its own handle. A database file that
// a script creates is put in WAL mode first.

#include <QString>

// Returns an empty text on success, else SQLite's message.
QString RunSqlScript(const QString& databasePath, const QString& sql);
QString RunSqlFile(const QString& databasePath, const QString& scriptPath);
