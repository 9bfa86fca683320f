#pragma once
// The rows a tree builder leaves out because a value it would show, or splice into SQL, holds a
// NUL byte: SQLite ends a statement at the first NUL, so such an id would cut the query short,
// and no label shows what follows one. The builder notes each row it skips and reports them in
// one message when it is done; every other row is built as usual. Main thread only.

#include <QObject>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

class TSkippedRows {
public:
    // The values of one row as read, each with its column name.
    using TRow = std::vector<std::pair<const char*, QString>>;

    // true, and the row noted, when one of its values holds a NUL.
    bool Skip(const TRow& row);
    // One text naming every skipped row by its values (NUL shown as \0); empty when none.
    QString Message() const;
    // Shows Message() in one box when a row was skipped, then starts afresh.
    void Report();
    // Report, once control is back in the event loop: the rows of builders that run one after
    // another go into one box. Nothing is shown if context has gone by then.
    void ReportSoon(QObject* context);

private:
    QStringList m_rows;
    bool m_reportPosted = false;
};
