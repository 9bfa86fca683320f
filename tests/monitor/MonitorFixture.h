#pragma once
// What the monitoring program's tests share: a fresh database reachable under the program's
// fixed database name, a data module on it that counts its log-ons, and a small road network.

#include <QFileInfo>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <memory>

#include "OracleDM.h"
#include "TestSupport.h"
#include "VirtualTree.h"

// Axis 경부선 holds A (2 inflow, 1 outflow detectors) and B, both on an inflow and an outflow
// link; 영동선 holds C (3 inflow, 1 outflow, one more outflow detector out of operation) and X,
// which is out of operation. 국도3호선 holds the new-signal intersection N. Survey points
// (group '0'): 수도권 with A, B, N and 강원권 with C.
inline const char* kRoadNetwork = R"SQL(
INSERT INTO AXLE_INFO VALUES ('X1','경부선'),('X2','영동선'),('X3','국도3호선');
INSERT INTO ROAD_LINK_INFO VALUES
 ('L1','X1','1','1',NULL),('L2','X1','1','2',NULL),
 ('L3','X2','50','1',NULL),('L4','X2','50','2',NULL),
 ('N1','X3','3','1','1'),('N2','X3','3','2','2');
INSERT INTO SPOT_INFO VALUES ('SA','  서울TG  ','서울 서초구 양재동'),('SB','수원IC','경기 수원시'),
 ('SC','강릉JC','강원 강릉시'),('SN','의정부교차로','경기 의정부시'),('SX','폐쇄지점','없음');
INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID) VALUES
 ('A',101,'2','Y','SA'),('B',102,'2','Y','SB'),('C',103,'2','Y','SC'),('N',201,'1','Y','SN'),
 ('X',104,'2','N','SX');
INSERT INTO OVD_INFO (OVD_ID, ATC_ID, LINK_ID, LANE_NUM, OPER_STAT) VALUES
 (1,'A','L1',1,'Y'),(2,'A','L1',2,'Y'),(3,'A','L2',1,'Y'),
 (4,'B','L1',1,'Y'),(5,'B','L2',1,'Y'),
 (6,'C','L3',1,'Y'),(7,'C','L3',2,'Y'),(8,'C','L3',3,'Y'),(9,'C','L4',1,'Y'),(10,'C','L4',2,'N'),
 (11,'N','N1',1,'Y'),(12,'N','N2',1,'Y'),
 (13,'X','L3',1,'Y');
INSERT INTO RESR_SPOT_INFO VALUES ('0','전체','R1','수도권'),('0','전체','R2','강원권');
INSERT INTO RESR_SPOT_CONF_INFO VALUES ('0','R1','SA'),('0','R1','SB'),('0','R2','SC'),('0','R1','SN'),
 ('1','R2','SA');
INSERT INTO BASE_CODE_INFO VALUES ('VD_EK','2','VDS'),('VD_EK','1','신신호');
)SQL";

// Newest traffic and status: A and B in both directions, N on both approaches; B and N report
// faults, A none.
inline const char* kNewestTraffic = R"SQL(
INSERT INTO ATC_NEW_TRAF_INFO VALUES
 ('A','1','2024-05-02 10:15:00',120,85.456,12.5,'1'),('A','2','2024-05-02 10:14:00',80,60.123,8.25,'2'),
 ('B','1','2024-05-02 10:14:30',50,40.5,30,'3'),('B','2','2024-05-02 10:16:30',45,38,28,'3');
INSERT INTO COSM_NEW_TRAF_INFO VALUES
 ('N','1','2024-05-02 10:15:00',35.5,10,50,12),('N','2','2024-05-02 10:17:00',28,8,40,9);
INSERT INTO EQUP_STAT_HIST_NEW_INFO VALUES
 ('A','2024-05-02 10:15:00','1','1','1','1','1','1','1','1','1','1','1','1'),
 ('B','2024-05-02 10:15:00','0','1','1','1','1','1','1','1','1','1','0','0'),
 ('N','2024-05-02 10:15:00','1','1','1','1','1','1','1','0','1','1','1','1');
)SQL";

// The program's fixed database "kelnor" (a file found through VDS_DB_DIR, or the server's
// database of that name), and the data module dmOracle on it.
class TMonitorDb {
public:
    explicit TMonitorDb(const QString& fixture = QString::fromUtf8(kRoadNetwork))
        : db(QStringLiteral("kelnor")) {
        if (!fixture.isEmpty()) db.Load(fixture);
        m_previousDir = qgetenv("VDS_DB_DIR");
        if (!OnServer()) qputenv("VDS_DB_DIR", QFileInfo(db.Path()).absolutePath().toUtf8());
        dm = std::make_unique<TdmOracle>();
        auto logOn = dm->vdsConnection.BeforeConnect;
        dm->vdsConnection.BeforeConnect = [this, logOn] {
            ++logOns;
            logOn();
        };
        dmOracle = dm.get();
    }
    ~TMonitorDb() {
        dmOracle = nullptr;
        dm.reset();
        qputenv("VDS_DB_DIR", m_previousDir);
    }

    // The database as the programs see it vanishes (the server stops), or comes back.
    void RemoveLink() { db.TakeAway(); }
    void RestoreLink() { db.BringBack(); }

    TTempDatabase db;
    std::unique_ptr<TdmOracle> dm;
    int logOns = 0;

private:
    QByteArray m_previousDir;
};

// Every node showing text, in tree order.
inline QList<PVirtualNode> NodesNamed(TVirtualStringTree* tree, const QString& text) {
    QList<PVirtualNode> found;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->text(0) == text) found << *it;
    return found;
}

inline QStringList ChildTexts(PVirtualNode node) {
    QStringList texts;
    for (int i = 0; node && i < node->childCount(); ++i) texts << node->child(i)->text(0);
    return texts;
}

// For a check that a refresh timer of intervalMs, stopped or never started, refreshes no more: a
// stopped timer has no tick to wait for, so a timer of that interval started now ticks twice,
// events handled meanwhile. A tick still due, or one a queued event would start, has run by then.
inline bool TwoIntervalsPassed(int intervalMs) {
    QTimer reference;
    reference.setTimerType(Qt::PreciseTimer);
    QSignalSpy ticks(&reference, &QTimer::timeout);
    reference.start(intervalMs);
    return QTest::qWaitFor([&ticks] { return ticks.count() >= 2; }, 5000);
}

// The demo data set, as db/demo.sql holds it.
inline QString DemoData() {
    QFile file(SourcePath(QStringLiteral("db/demo.sql")));
    if (!file.open(QIODevice::ReadOnly)) qFatal("cannot read db/demo.sql");
    return QString::fromUtf8(file.readAll());
}

// Counts the log-ons of a connection into count, on top of what it runs already.
inline void CountLogOns(TSQLConnection& connection, int& count) {
    auto previous = connection.BeforeConnect;
    connection.BeforeConnect = [&count, previous] {
        ++count;
        if (previous) previous();
    };
}

// A fault of the database and its repair, as the failure cases name them: "unlink" takes the
// database away, "link" brings it back, any other step is SQL run on it.
inline void ApplyStep(TMonitorDb& fx, const QString& step) {
    if (step == QLatin1String("unlink"))
        fx.RemoveLink();
    else if (step == QLatin1String("link"))
        fx.RestoreLink();
    else
        fx.db.Load(step);
}

// count operating VDS stations 'S1'... at the survey point SA on 경부선's inflow link, each with
// newest traffic and a status row; every second one has lost its communication.
struct TManyStations {
    QString sql;
    QString idList;
};
inline TManyStations ManyStations(int count) {
    QStringList atcs, ovds, traffic, status, ids;
    for (int i = 1; i <= count; ++i) {
        const QString id = QStringLiteral("'S%1'").arg(i);
        ids << id;
        atcs << QStringLiteral("(%1,%2,'2','Y','SA')").arg(id).arg(1000 + i);
        ovds << QStringLiteral("(%1,%2,'L1',1,'Y')").arg(1000 + i).arg(id);
        traffic << QStringLiteral("(%1,'1','2024-05-02 10:00:00',%2,50,1,'1')").arg(id).arg(i);
        status << QStringLiteral(
                      "(%1,'2024-05-02 10:00:00','1','1','1','1','1','1','1','1','1','1','1','%2')")
                      .arg(id, i % 2 ? QStringLiteral("1") : QStringLiteral("0"));
    }
    return {QStringLiteral("INSERT INTO ATC_INFO (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, "
                           "SET_SPOT_ID) VALUES ") +
                atcs.join(',') +
                QStringLiteral(";INSERT INTO OVD_INFO (OVD_ID, ATC_ID, LINK_ID, LANE_NUM, "
                               "OPER_STAT) VALUES ") +
                ovds.join(',') + QStringLiteral(";INSERT INTO ATC_NEW_TRAF_INFO VALUES ") +
                traffic.join(',') + QStringLiteral(";INSERT INTO EQUP_STAT_HIST_NEW_INFO VALUES ") +
                status.join(',') + QStringLiteral(";"),
            ids.join(',')};
}

// The failure cases of a query: the database gone, or table missing; columns fault, repair and
// the message the box shows.
inline void AddQueryFaults(const QString& table) {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("repair");
    QTest::addColumn<QString>("message");
    QTest::newRow("database unreachable")
        << "unlink"
        << "link" << OnDriver("unable to open database file", "No such file or directory");
    QTest::newRow("table missing")
        << QStringLiteral("ALTER TABLE %1 RENAME TO GONE;").arg(table)
        << QStringLiteral("ALTER TABLE GONE RENAME TO %1;").arg(table)
        << OnDriver(QStringLiteral("no such table"),
                    QStringLiteral("relation \"%1\" does not exist").arg(table.toLower()));
}

// How two windows refreshing side by side on their own timers meet a fault of the database: one
// box at a time (the other window's failures meanwhile are counted, not stacked on it), the failed
// refresh has released its dataset and connection, no failure went past the refresh's own guard,
// both timers keep running, and after the repair both windows are filled again.
template <class Window>
struct TFailingRefresh {
    TSQLConnection& connection;
    TSQLClientDataSet& dataset;
    std::function<void(Window&, bool)> runTimer;
    std::function<bool(Window&)> timerOn;
    std::function<bool(Window&)> filledAgain;
};
template <class Window>
void CheckFailingRefresh(TMonitorDb& fx, const QString& fault, const QString& repair,
                         const QString& message, Window& first, Window& second,
                         const TFailingRefresh<Window>& how) {
    ApplyStep(fx, fault);
    TMessageRecorder boxes;
    bool cleanedUp = false, timersOn = false;
    const int suppressedBefore = Application()->SuppressedReports();
    const int lastResort = Application()->LastResortReports();
    boxes.whileOpen = [&](const QString&) {
        cleanedUp = !how.connection.Connected() && !how.dataset.Active();
        QTRY_VERIFY(Application()->SuppressedReports() > suppressedBefore);
        timersOn = how.timerOn(first) && how.timerOn(second);
        ApplyStep(fx, repair);
    };
    how.runTimer(first, true);
    how.runTimer(second, true);
    QTRY_COMPARE(boxes.messages.size(), 1);
    QVERIFY2(boxes.messages[0].contains(message), qPrintable(boxes.messages[0]));
    QVERIFY(cleanedUp);
    QVERIFY(timersOn);
    QCOMPARE(Application()->LastResortReports(), lastResort);
    for (Window* w : {&first, &second}) {
        QTRY_VERIFY(how.filledAgain(*w));
        QVERIFY(how.timerOn(*w));
        how.runTimer(*w, false);
    }
    QCOMPARE(boxes.messages.size(), 1);
}
