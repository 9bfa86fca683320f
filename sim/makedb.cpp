// vds-makedb <database file> <script.sql>...: builds an SQLite database from SQL scripts, in
// order. An existing file is replaced, so a demo always starts from the scripts' state.

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "SqlScript.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: vds-makedb <database file> <script.sql>...\n");
        return 2;
    }
    QFile::remove(args[0]);
    for (int i = 1; i < args.size(); ++i) {
        const QString error = RunSqlFile(args[0], args[i]);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "vds-makedb: %s\n", qPrintable(error));
            return 1;
        }
    }
    return 0;
}
