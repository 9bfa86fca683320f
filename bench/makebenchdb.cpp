// vds-benchdb <database file> <controllers> [<schema.sql>]: builds the benchmarks' database of
// that many VDS controllers (see BenchDb.h). An existing file is replaced.

#include <QCoreApplication>
#include <cstdio>

#include "BenchDb.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    bool ok = false;
    const int controllers = args.value(1).toInt(&ok);
    if (args.size() < 2 || !ok || controllers < 1) {
        std::fprintf(stderr, "usage: vds-benchdb <database file> <controllers> [<schema.sql>]\n");
        return 2;
    }
    const QString schema = args.value(2, QStringLiteral(VDS_SCHEMA_SQL));
    const QString error = MakeBenchDatabase(args[0], schema, controllers);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "vds-benchdb: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
