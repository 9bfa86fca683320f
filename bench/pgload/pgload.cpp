// vds-pgload: many traffic monitor windows refreshing against one PostgreSQL server, each in a
// process of its own as on the operators' workstations, every tick logging on and off.
//
//   vds-pgload [--windows N] [--stations N] [--seconds N] [--server-log PATH]
//
// The server is libpq's environment; PGUSER and PGPASSWORD name a role that may write the
// database kelnor (the bench's own stations go there) and read pg_stat_activity. The windows log
// on with the monitoring program's fixed account. Prints ticks done, errors, the median and the
// 99th-percentile tick time, and the server's peak count of client connections, sampled every
// 10 ms and, given the server's log with log_connections and log_disconnections on, counted from
// it (a session of a few milliseconds slips between samples).

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QTimeZone>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "Application.h"
#include "Db.h"
#include "Grid.h"
#include "OracleDM.h"
#include "TrafMonTextFrm.h"

namespace {

QString StationId(int i) {
    return QStringLiteral("B%1").arg(i, 4, 10, QLatin1Char('0'));
}

int Fail(const QString& message) {
    std::fprintf(stderr, "vds-pgload: %s\n", qPrintable(message));
    return 1;
}

// ---- one window ----------------------------------------------------------------------------

// Builds the window, ticks every station once in the axis branch, reports "ready", waits for
// the start time on stdin, then refreshes once a second and reports each tick.
int Worker(int seconds, int stations) {
    TdmOracle dm;
    dmOracle = &dm;
    std::unique_ptr<TfrmTrafMonText> form;
    try {
        form = std::make_unique<TfrmTrafMonText>();
    } catch (const std::exception& e) {
        return Fail(QString::fromUtf8(e.what()));
    }
    auto* tree = form->findChild<TVirtualStringTree*>(QStringLiteral("ChkTree"));
    auto* grid = form->findChild<TfpSpread*>(QStringLiteral("SprVDS"));
    PVirtualNode axisBranch = tree->GetFirstChild(tree->GetFirstChild(nullptr));
    QSet<QString> ticked;
    for (PVirtualNode g = tree->GetFirstChild(axisBranch); g; g = tree->GetNextSibling(g))
        for (PVirtualNode n = tree->GetFirstChild(g); n; n = tree->GetNextSibling(n)) {
            const QString id = tree->GetNodeDataAs<::data>(n)->strATC_ID;
            if (ticked.contains(id)) continue;
            tree->SetCheckState(n, csCheckedNormal);
            ticked.insert(id);
        }
    if (ticked.size() != stations)
        return Fail(
            QStringLiteral("the tree lists %1 stations, not %2").arg(ticked.size()).arg(stations));
    std::printf("ready\n");
    std::fflush(stdout);

    char line[64] = {};
    if (!std::fgets(line, sizeof line, stdin)) return Fail(QStringLiteral("no start time"));
    const qint64 start = QByteArray(line).trimmed().toLongLong();
    // One row per station and direction.
    const int rows = 2 * stations;
    int done = 0;
    auto tick = [&] {
        QElapsedTimer t;
        t.start();
        QString error;
        try {
            form->tmrQueryTimer();
            grid->SetCol(1);
            grid->SetRow(rows);
            const bool last = !grid->Text().isEmpty();
            grid->SetRow(rows + 1);
            if (!last || !grid->Text().isEmpty()) error = QStringLiteral("not %1 rows").arg(rows);
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what()).simplified();
        }
        std::printf("tick %.3f %s\n", t.nsecsElapsed() / 1e6,
                    error.isEmpty() ? "ok" : qPrintable(error));
        std::fflush(stdout);
        if (++done == seconds) QCoreApplication::quit();
    };
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(1000);
    QObject::connect(&timer, &QTimer::timeout, tick);
    QTimer::singleShot(std::max<qint64>(0, start - QDateTime::currentMSecsSinceEpoch()), [&] {
        timer.start();
        tick();
    });
    return QCoreApplication::exec();
}

// ---- the coordinator -----------------------------------------------------------------------

// The bench's stations on one axis, each on an inflow and an outflow link with two lanes, with
// newest traffic and status; replaces whatever kelnor held.
QString BenchData(int stations) {
    QStringList atc, spot, link, ovd, traf, stat;
    for (int i = 0; i < stations; ++i) {
        const QString id = StationId(i);
        atc << QStringLiteral("('%1', %2, '2', 'Y', 'S%1')").arg(id).arg(1000 + i);
        spot << QStringLiteral("('S%1', '지점 %2', '부하시험 구간 %2')").arg(id).arg(i);
        for (int dir = 1; dir <= 2; ++dir) {
            link << QStringLiteral("('L%1%2', 'X1', '100', '%2')").arg(id).arg(dir);
            for (int lane = 1; lane <= 2; ++lane)
                ovd << QStringLiteral("('%1', 'L%1%2', %3, 'Y')")
                           .arg(id)
                           .arg(dir)
                           .arg(2 * dir + lane);
            traf << QStringLiteral("('%1', '%2', '2026-12-08 17:45:00', %3, %4, 10.5, '1')")
                        .arg(id)
                        .arg(dir)
                        .arg(40 + i % 50)
                        .arg(60.125 + dir);
        }
        stat
            << QStringLiteral(
                   "('%1', '2026-12-08 17:45:00', '1','1','1','1','1','1','1','1','1','1','1','1')")
                   .arg(id);
    }
    return QStringLiteral(
               "BEGIN;"
               "TRUNCATE AXLE_INFO, ROAD_LINK_INFO, SPOT_INFO, ATC_INFO, OVD_INFO, RESR_SPOT_INFO, "
               "RESR_SPOT_CONF_INFO, BASE_CODE_INFO, ATC_NEW_TRAF_INFO, COSM_NEW_TRAF_INFO, "
               "EQUP_STAT_HIST_NEW_INFO;"
               "INSERT INTO AXLE_INFO VALUES ('X1', '부하시험축');"
               "INSERT INTO BASE_CODE_INFO VALUES ('VD_EK', '2', 'VDS');"
               "INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID) VALUES "
               "%1;"
               "INSERT INTO SPOT_INFO VALUES %2;"
               "INSERT INTO ROAD_LINK_INFO (LINK_ID, AXLE_ID, ROAD_NUM, IOFL_TYPE) VALUES %3;"
               "INSERT INTO OVD_INFO (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES %4;"
               "INSERT INTO ATC_NEW_TRAF_INFO VALUES %5;"
               "INSERT INTO EQUP_STAT_HIST_NEW_INFO VALUES %6;"
               "COMMIT;")
        .arg(atc.join(','), spot.join(','), link.join(','), ovd.join(','), traf.join(','),
             stat.join(','));
}

// The most sessions open at once from the start on, by the server's own log of each log-on and
// log-off (log_connections, log_disconnections; lines "<time> UTC [pid] LOG:  ..."); the
// sessions of pid ignore are left out.
int PeakFromServerLog(const QString& path, qint64 start, qint64 ignore) {
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly)) return -1;
    int open = 0, peak = 0;
    QSet<qint64> counted;
    while (!log.atEnd()) {
        const QByteArray line = log.readLine();
        const int bracket = line.indexOf(" [");
        const int close = line.indexOf("] ", bracket);
        if (bracket < 0 || close < 0) continue;
        QDateTime at = QDateTime::fromString(QString::fromLatin1(line.left(23)),
                                             QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        at.setTimeZone(QTimeZone::utc());
        const qint64 pid = line.mid(bracket + 2, close - bracket - 2).toLongLong();
        if (!at.isValid() || pid == ignore) continue;
        if (line.contains("LOG:  connection received")) {
            if (at.toMSecsSinceEpoch() < start) continue;
            counted.insert(pid);
            peak = std::max(peak, ++open);
        } else if (line.contains("LOG:  disconnection") && counted.remove(pid)) {
            --open;
        }
    }
    return peak;
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * v.size()));
    return v[i];
}

int Coordinator(int windows, int stations, int seconds, const QString& serverLog) {
    QSqlDatabase admin =
        QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
    admin.setDatabaseName(QStringLiteral("kelnor"));
    if (!admin.open()) return Fail(admin.lastError().text());
    // One statement per call: the driver reports only the first of several.
    for (const QString& statement :
         BenchData(stations).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QSqlQuery q(admin);
        if (!q.exec(statement)) return Fail(q.lastError().text());
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("PGUSER"));
    env.remove(QStringLiteral("PGPASSWORD"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VDS_DB_DRIVER"), QStringLiteral("QPSQL"));
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int i = 0; i < windows; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--worker"), QString::number(seconds), QString::number(stations)});
        workers.push_back(std::move(p));
    }
    for (auto& p : workers) {
        if (!p->waitForReadyRead(120000) || p->readLine().trimmed() != "ready")
            return Fail(QStringLiteral("a window did not start: %1")
                            .arg(QString::fromUtf8(p->readAllStandardError())));
    }
    // Every window's first tick in the same second: the server sees their log-ons together.
    const qint64 start = QDateTime::currentMSecsSinceEpoch() + 1000;
    for (auto& p : workers) {
        p->write(QByteArray::number(start) + '\n');
        // Written now: the sampling below runs no event loop.
        p->waitForBytesWritten(5000);
    }

    // Every client backend but the sampler's own, a log-on still authenticating included (it
    // names no database yet).
    QSqlQuery sample(admin);
    const QString count = QStringLiteral(
        "SELECT count(*) FROM pg_stat_activity WHERE backend_type = 'client backend' "
        "AND pid <> pg_backend_pid()");
    if (!sample.exec(QStringLiteral("SELECT pg_backend_pid()")) || !sample.next())
        return Fail(sample.lastError().text());
    const qint64 samplerPid = sample.value(0).toLongLong();
    int peak = 0;
    const qint64 end = start + seconds * 1000LL + 2000;
    while (QDateTime::currentMSecsSinceEpoch() < end) {
        if (!sample.exec(count) || !sample.next()) return Fail(sample.lastError().text());
        peak = std::max(peak, sample.value(0).toInt());
        QThread::msleep(10);
    }

    std::vector<double> times;
    int errors = 0;
    QStringList messages;
    for (auto& p : workers) {
        if (!p->waitForFinished(60000)) {
            ++errors;
            messages << QStringLiteral("a window did not finish");
            p->kill();
        }
        for (const QByteArray& line : p->readAllStandardOutput().split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() < 3 || f[0] != "tick") continue;
            times.push_back(f[1].toDouble());
            if (f[2] != "ok") {
                ++errors;
                if (messages.size() < 5)
                    messages << QString::fromUtf8(line.mid(line.indexOf(f[2])));
            }
        }
        if (p->exitCode() != 0) {
            ++errors;
            messages << QString::fromUtf8(p->readAllStandardError()).trimmed();
        }
    }
    std::printf("windows %d, stations each %d, %d s\n", windows, stations, seconds);
    std::printf("ticks done %zu (of %d)\n", times.size(), windows * seconds);
    std::printf("errors %d\n", errors);
    std::printf("tick time median %.1f ms, 99th percentile %.1f ms, longest %.1f ms\n",
                Percentile(times, 0.5), Percentile(times, 0.99), Percentile(times, 1.0));
    std::printf("peak client connections %d (sampled every 10 ms)\n", peak);
    if (!serverLog.isEmpty())
        std::printf("peak client connections %d (by the server's log of log-ons and log-offs)\n",
                    PeakFromServerLog(serverLog, start, samplerPid));
    for (const QString& m : messages) std::printf("  %s\n", qPrintable(m));
    return errors == 0 && int(times.size()) == windows * seconds ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    if (args.value(0) == QLatin1String("--worker")) {
        TApplication app(argc, argv);
        return Worker(args.value(1).toInt(), args.value(2).toInt());
    }
    QCoreApplication app(argc, argv);
    const QString usage = QStringLiteral(
        "usage: vds-pgload [--windows N] [--stations N] [--seconds N] [--server-log PATH]");
    int windows = 50, stations = 100, seconds = 60;
    QString serverLog;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        const int v = args[i + 1].toInt();
        if (args[i] == QLatin1String("--windows"))
            windows = v;
        else if (args[i] == QLatin1String("--stations"))
            stations = v;
        else if (args[i] == QLatin1String("--seconds"))
            seconds = v;
        else if (args[i] == QLatin1String("--server-log"))
            serverLog = args[i + 1];
        else
            return Fail(usage);
    }
    if (windows <= 0 || stations <= 0 || seconds <= 0 || args.size() % 2) return Fail(usage);
    return Coordinator(windows, stations, seconds, serverLog);
}
