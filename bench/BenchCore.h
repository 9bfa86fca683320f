#pragma once
// What the benchmarks share: paired timing of a piece of the programs' work beside the bare
// engine doing the same, the capture of the SQL texts the programs run, their replay through the
// sqlite3 C API, and the table the figures are printed in. Main thread only.
//
// A work item is one function per side: the program's (a handler of a window, called as the
// framework calls it) and the bare engine's. For database work the bare side is made from the
// program's own SQL, captured while the program runs once: the same log-ons and log-offs, the
// same statements in the same order, every row stepped and every column read as text, with the
// same DECODE and TO_CHAR registered on each connection. The two run alternately, so a load on
// the machine weighs on both alike; absolute times vary from run to run, their ratio holds.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

using TWork = std::function<void()>;

struct TBenchResult {
    QString work;
    int runs = 0;
    double programMs = 0;  // medians
    double bareMs = 0;
    // The median of each program run's time over the bare run's beside it: a load on the machine
    // that comes and goes weighs on both runs of a pair.
    double ratio = 0;
};

// One untimed run of each side, then runs timed runs of each, alternating which goes first.
// between runs untimed after every program run: the event loop's deferred work, which a real
// program would do before its next tick.
TBenchResult RunPaired(const QString& work, int runs, const TWork& program, const TWork& bare,
                       const TWork& between = {});

// The SQL a piece of work runs, as SQLite saw it: log-ons, statements and log-offs, each with
// the connection it ran on.
struct TSqlEvent {
    enum Kind { Open, Statement, Close } kind;
    int connection;
    QByteArray text;  // the file for Open, the SQL for Statement
    bool readOnly = false;
};
using TSqlCapture = std::vector<TSqlEvent>;

// Runs work once and returns what it ran. Nothing is traced outside this call.
TSqlCapture CaptureSql(const TWork& work);

// The captured SQL replayed through the sqlite3 C API.
TWork BareEngine(TSqlCapture capture);

// The event loop's work after a handler, as the program would do it before its next tick:
// repaints, deferred deletes. Untimed.
void Settle();
// The work must run as it does for the operator: a message box would stop it, so one ends the
// benchmark with its text instead.
void StopAtMessageBox(const char* tool);

// The resident set of this process, in kB.
long ResidentKb();

// The table the benchmarks print, one row per work item, and the lines below it.
QString TableRow(const TBenchResult& result);
// How a work item grows from the smaller size to the larger, on each side.
QString GrowthLine(const QString& work, const TBenchResult& smaller, const TBenchResult& larger);
QString FormatMs(double ms);
QString Count(long n);  // 5,000
void PrintLine(const QString& line);

// The tree rows' databases, given as "stations=file".
struct TTreeDb {
    int stations;
    QString path;
};
std::vector<TTreeDb> ParseTreeDbs(const QStringList& specs);
