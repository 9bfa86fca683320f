#include "DemoAnswers.h"

void WriteDemoAnswers(const QString& databasePath, const QByteArray& frame) {
    // No command has a demo answer yet: the tables the windows read back stay as the demo
    // database has them.
    Q_UNUSED(databasePath);
    Q_UNUSED(frame);
}
