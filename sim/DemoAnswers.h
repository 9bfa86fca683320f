#pragma once
// Demo mode of the stand-in server: what a controller answers to a command reaches the database,
// as the centre's own servers would put it there. Runs on the server's thread.

#include <QByteArray>
#include <QString>

// Called for every request frame the server accepts in demo mode, before the status goes back.
// databasePath: the SQLite file the programs read.
void WriteDemoAnswers(const QString& databasePath, const QByteArray& frame);
