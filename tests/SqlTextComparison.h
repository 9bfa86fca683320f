#pragma once
// Runs the windows' SQL texts on the demo data twice, on the embedded database and on the server,
// through the programs' own database layer, and tells where the rows they give differ. Needs the
// server: a suite using it runs under the postgres label. Main thread only.

#include <QString>
#include <QStringList>
#include <memory>

class TTempDatabase;

class TDemoOnBothDrivers {
public:
    TDemoOnBothDrivers();
    ~TDemoOnBothDrivers();

    // The first column of every row the embedded demo data gives for sql.
    QStringList Values(const QString& sql) const;
    // Empty when both drivers give the same columns and the same rows, each row's values read
    // as text as the windows read them, else what differs. Rows are compared as a whole, and in
    // order by orderedBy, the result columns the text's ORDER BY names: rows that tie there may
    // come in either order. *rows is the number of rows each gave.
    QString Compare(const QString& sql, const QStringList& orderedBy, int* rows) const;

private:
    std::unique_ptr<TTempDatabase> m_embedded;
    std::unique_ptr<TTempDatabase> m_server;
};

// Fails the calling test where a text gives other rows on the two drivers, or where all of
// them together give none, which would prove nothing.
void VerifySameRows(const TDemoOnBothDrivers& demo, const QStringList& texts,
                    const QStringList& orderedBy);

// The ids of a list of values as the windows splice them: 'A','B'.
QString QuotedList(const QStringList& values);
