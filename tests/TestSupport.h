#pragma once
// What the tests share: a main that creates the programs' application object, a fresh SQLite
// database per test group, and recorders for message boxes and waits.

#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QVector>

#include "Application.h"
#include "UiHooks.h"

#define VDS_TEST_MAIN(TestClass)                                  \
    int main(int argc, char** argv) {                             \
        TApplication app(argc, argv);                             \
        app.setAttribute(Qt::AA_Use96Dpi, true);                  \
        TestClass tc;                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                \
        const int rc = QTest::qExec(&tc, argc, argv);             \
        app.FreeOwned();                                          \
        return rc;                                                \
    }

// A fresh database file made from db/schema.sql, in a temporary folder that goes with it.
class TTempDatabase {
public:
    TTempDatabase();
    QString Path() const { return m_path; }
    // Runs statements on the file; fails the calling test (QFAIL-style) through the returned text.
    QString Exec(const QString& sql) const;
    // Runs statements and asserts they succeeded.
    void Load(const QString& sql) const;
    // Everything after the schema: drop every row of every table.
    void Empty() const;

private:
    QTemporaryDir m_dir;
    QString m_path;
};

QString SourcePath(const QString& relative);

// Records every message box instead of showing it; each one counts as dismissed at once.
class TMessageRecorder {
public:
    TMessageRecorder();
    ~TMessageRecorder();
    QStringList messages;
    // Runs while a box is "open", before it counts as dismissed.
    std::function<void(const QString&)> whileOpen;

private:
    TMessageHook m_previous;
};

// Records every wait instead of waiting.
class TSleepRecorder {
public:
    TSleepRecorder();
    ~TSleepRecorder();
    QVector<int> waits;

private:
    TSleepHook m_previous;
};
