// The demo tools as programs: their command lines (--help, --version, mistakes), and that
// vds-makedb replaces a database only by a complete new one.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "SqlScript.h"
#include "TestSupport.h"

namespace {

struct TRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs a tool to its end in dir, without a display: a tool that needed one would fail.
TRun Run(const QString& program, const QStringList& args, const QString& dir = QDir::tempPath()) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    p.start(program, args);
    TRun r;
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

const QString kMakeDb = QStringLiteral(VDS_MAKEDB);

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A script file in dir with the given statements.
QString Script(const QTemporaryDir& dir, const QString& name, const QString& sql) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    f.write(sql.toUtf8());
    return path;
}

// Whether an existing database file holds a table.
bool HasTable(const QString& db, const QString& table) {
    return QFileInfo(db).isFile() &&
           RunSqlScript(db, QStringLiteral("SELECT 1 FROM %1 LIMIT 0;").arg(table)).isEmpty();
}

// Everything in a folder, hidden files included.
QStringList Entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace

class tst_Tools : public QObject {
    Q_OBJECT
private slots:
    void commandLine_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stdoutHas");
        QTest::addColumn<QString>("stderrHas");
        const QString tools[] = {QStringLiteral(VDS_MAKEDB), QStringLiteral(VDS_COMMSIM),
                                 QStringLiteral(VDS_LIVEFEED), QStringLiteral(VDS_SCREENSHOT)};
        for (const QString& tool : tools) {
            const QString name = QFileInfo(tool).fileName();
            QTest::newRow(qPrintable(name + " --help"))
                << tool << QStringList{"--help"} << 0 << "Usage:"
                << "";
            QTest::newRow(qPrintable(name + " -h")) << tool << QStringList{"-h"} << 0 << "Usage:"
                                                    << "";
            QTest::newRow(qPrintable(name + " --version"))
                << tool << QStringList{"--version"} << 0 << name + " " + QStringLiteral(VDS_VERSION)
                << "";
            QTest::newRow(qPrintable(name + " unknown option"))
                << tool << QStringList{"--bogus"} << 2 << "" << name + ": Unknown option 'bogus'";
        }
        QTest::newRow("vds-makedb without a script") << kMakeDb << QStringList{"kelnor"} << 2 << ""
                                                     << "vds-makedb: needs a database file";
        QTest::newRow("vds-makedb without arguments") << kMakeDb << QStringList() << 2 << ""
                                                      << "vds-makedb: needs a database file";
        QTest::newRow("vds-screenshot without a file")
            << QStringLiteral(VDS_SCREENSHOT) << QStringList() << 2 << ""
            << "vds-screenshot: needs exactly one";
        QTest::newRow("vds-screenshot with two files")
            << QStringLiteral(VDS_SCREENSHOT) << QStringList{"a.png", "b.png"} << 2 << ""
            << "vds-screenshot: needs exactly one";
        QTest::newRow("vds-livefeed without --db")
            << QStringLiteral(VDS_LIVEFEED) << QStringList() << 2 << ""
            << "vds-livefeed: needs --db";
        QTest::newRow("vds-livefeed interval 0")
            << QStringLiteral(VDS_LIVEFEED) << QStringList{"--db", "x", "--interval-ms", "0"} << 2
            << ""
            << "vds-livefeed: --interval-ms";
        QTest::newRow("vds-livefeed stray argument")
            << QStringLiteral(VDS_LIVEFEED) << QStringList{"--db", "x", "extra"} << 2 << ""
            << "vds-livefeed: unexpected argument extra";
        QTest::newRow("vds-commsim --port without a value")
            << QStringLiteral(VDS_COMMSIM) << QStringList{"--port"} << 2 << ""
            << "vds-commsim: Missing value after '--port'";
        QTest::newRow("vds-commsim stray argument")
            << QStringLiteral(VDS_COMMSIM) << QStringList{"3500"} << 2 << ""
            << "vds-commsim: unexpected argument 3500";
    }
    void commandLine() {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, stdoutHas);
        QFETCH(QString, stderrHas);
        QTemporaryDir dir;
        const TRun r = Run(program, args, dir.path());
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.out.contains(stdoutHas), qPrintable(r.out));
        QVERIFY2(r.err.contains(stderrHas), qPrintable(r.err));
        if (exitCode == 0) QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        // Nothing written where it ran: no picture named "--help", no database named "-h".
        QCOMPARE(Entries(dir.path()), QStringList());
    }

    void failedBuildLeavesTheOldDatabase_data() {
        QTest::addColumn<QStringList>("scripts");  // "schema" or the name of a script made here
        QTest::addColumn<QString>("stderrHas");
        QTest::newRow("mistyped script name")
            << QStringList{"schema", "schema.sq"} << "cannot read";
        QTest::newRow("error in the second script")
            << QStringList{"schema", "broken.sql"} << "broken.sql";
        QTest::newRow("error in the only script") << QStringList{"broken.sql"} << "broken.sql";
    }
    void failedBuildLeavesTheOldDatabase() {
        QFETCH(QStringList, scripts);
        QFETCH(QString, stderrHas);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("kelnor"));
        QCOMPARE(RunSqlScript(
                     target, "CREATE TABLE OLD_MARK (N INTEGER); INSERT INTO OLD_MARK VALUES (7);"),
                 QString());
        const QByteArray before = Contents(target);
        QVERIFY(!before.isEmpty());
        Script(dir, QStringLiteral("broken.sql"),
               QStringLiteral("CREATE TABLE GOOD (N INTEGER); CREATE TABLE (;"));
        QStringList args{target};
        for (const QString& s : scripts)
            args << (s == "schema" ? SourcePath(QStringLiteral("db/schema.sql")) : dir.filePath(s));
        const TRun r = Run(kMakeDb, args, dir.path());
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(stderrHas) && r.err.contains("left as it was"), qPrintable(r.err));
        QCOMPARE(Contents(target), before);
        QCOMPARE(Entries(dir.path()),
                 QStringList({"broken.sql", "kelnor"}));  // no half-built file left
    }

    void completeBuildReplacesTheDatabase() {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("kelnor"));
        QCOMPARE(RunSqlScript(target, "CREATE TABLE OLD_MARK (N INTEGER);"), QString());
        QVERIFY(QFile::setPermissions(
            target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
        // A journal the old file left would be applied to the new one.
        Script(dir, QStringLiteral("kelnor-journal"),
               QStringLiteral("not a journal of the new file"));
        const QString more =
            Script(dir, QStringLiteral("more.sql"),
                   QStringLiteral("INSERT INTO AXLE_INFO VALUES ('A1', '경부선');"));
        const TRun r =
            Run(kMakeDb, {target, SourcePath(QStringLiteral("db/schema.sql")), more}, dir.path());
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QVERIFY(HasTable(target, QStringLiteral("AXLE_INFO")));
        QVERIFY(!HasTable(target, QStringLiteral("OLD_MARK")));
        QCOMPARE(QFile::permissions(target) &
                     (QFileDevice::ReadOther | QFileDevice::ReadGroup | QFileDevice::WriteOwner),
                 QFileDevice::ReadGroup | QFileDevice::WriteOwner);
        QCOMPARE(Entries(dir.path()), QStringList({"kelnor", "more.sql"}));
    }

    void newDatabaseIsCreated() {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("kelnor"));
        const TRun r =
            Run(kMakeDb, {target, SourcePath(QStringLiteral("db/schema.sql"))}, dir.path());
        QCOMPARE(r.exitCode, 0);
        QVERIFY(HasTable(target, QStringLiteral("ATC_INFO")));
        QVERIFY(QFile::permissions(target) & QFileDevice::ReadOther);  // the programs' readers
        QCOMPARE(Entries(dir.path()), QStringList({"kelnor"}));
    }

    void targetThatIsNoFileIsRefused_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("a folder") << "sub";
        QTest::newRow("in a missing folder") << "missing/kelnor";
    }
    void targetThatIsNoFileIsRefused() {
        QFETCH(QString, target);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        const TRun r =
            Run(kMakeDb, {dir.filePath(target), SourcePath(QStringLiteral("db/schema.sql"))},
                dir.path());
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith("vds-makedb: "), qPrintable(r.err));
        QCOMPARE(Entries(dir.path()), QStringList({"sub"}));
        QCOMPARE(Entries(dir.filePath("sub")), QStringList());
    }
};

VDS_TEST_MAIN(tst_Tools)
#include "tst_Tools.moc"
