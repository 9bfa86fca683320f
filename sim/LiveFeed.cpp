#include "LiveFeed.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <stdexcept>

#include "SimDb.h"

namespace {
const char* const kFlags[] = {"HRCL", "HPOS", "HROM", "HRAM", "SUMT", "SLPF",
                              "SSPF", "SDOO", "SFAF", "SCOR", "SACK", "COM_ERR_STAT"};
constexpr int kFlagCount = sizeof(kFlags) / sizeof(kFlags[0]);

struct TFeedError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One prepared statement; its ? are bound in order of appearance.
class TStatement {
public:
    TStatement(const QSqlDatabase& db, const QString& sql) : m_query(db) {
        if (!m_query.prepare(sql)) throw TFeedError(m_query.lastError().text().toStdString());
    }

    TStatement& Bind(const QVariant& v) {
        m_query.addBindValue(v);
        return *this;
    }
    void Run() {
        if (!m_query.exec()) throw TFeedError(m_query.lastError().text().toStdString());
    }
    // After Run: true while there is a row to read.
    bool Next() { return m_query.next(); }
    // The rows it changed.
    int Changed() {
        Run();
        return m_query.numRowsAffected();
    }
    QString Text(int i) const { return m_query.value(i).toString(); }
    bool IsNull(int i) const { return m_query.value(i).isNull(); }
    double Double(int i) const { return m_query.value(i).toDouble(); }

private:
    QSqlQuery m_query;
};

// The newest row of keys: update's ? are the time, the figures, then the keys; insert's the keys,
// the time, then the figures. Inserted where no row was there to update.
void WriteNewest(TStatement& update, TStatement& insert, const QStringList& keys,
                 const QString& now, const QVariantList& figures) {
    update.Bind(now);
    for (const QVariant& f : figures) update.Bind(f);
    for (const QString& k : keys) update.Bind(k);
    if (update.Changed() != 0) return;
    for (const QString& k : keys) insert.Bind(k);
    insert.Bind(now);
    for (const QVariant& f : figures) insert.Bind(f);
    insert.Run();
}

QVector<QStringList> Keys(const QSqlDatabase& db, const QString& sql) {
    QVector<QStringList> keys;
    TStatement s(db, sql);
    s.Run();
    while (s.Next()) keys.append({s.Text(0), s.Text(1)});
    return keys;
}

double Walk(QRandomGenerator& r, double value, double step, double low, double high) {
    return std::clamp(value + (r.generateDouble() * 2 - 1) * step, low, high);
}

double Between(QRandomGenerator& r, double low, double high) {
    return low + r.generateDouble() * (high - low);
}

// The feed's own banding of the demo's traffic state: free, slow, congested.
QString TrafficState(double speed) {
    return speed >= 70   ? QStringLiteral("1")
           : speed >= 40 ? QStringLiteral("2")
                         : QStringLiteral("3");
}

void FeedVds(const QSqlDatabase& db, QRandomGenerator& r, const QString& now, TFeedRound& round) {
    const auto keys = Keys(
        db,
        QStringLiteral(
            "SELECT DISTINCT O.ATC_ID, R.IOFL_TYPE FROM OVD_INFO O "
            "JOIN ROAD_LINK_INFO R ON R.LINK_ID = O.LINK_ID JOIN ATC_INFO A ON A.ATC_ID = O.ATC_ID "
            "WHERE A.EQUP_TYPE = '2' AND A.OPER_STAT = 'Y' AND R.IOFL_TYPE IN ('1', '2')"));
    TStatement read(
        db, QStringLiteral(
                "SELECT TRAF, SPED FROM ATC_NEW_TRAF_INFO WHERE ATC_ID = ? AND IOFL_TYPE = ?"));
    TStatement update(
        db, QStringLiteral("UPDATE ATC_NEW_TRAF_INFO SET TYPE_TIME = ?, TRAF = ?, SPED = ?, "
                           "OCCU_RATE = ?, TRAF_STAT = ? WHERE ATC_ID = ? AND IOFL_TYPE = ?"));
    TStatement insert(
        db,
        QStringLiteral(
            "INSERT INTO ATC_NEW_TRAF_INFO (ATC_ID, IOFL_TYPE, TYPE_TIME, TRAF, SPED, OCCU_RATE, "
            "TRAF_STAT) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (const QStringList& k : keys) {
        read.Bind(k[0]).Bind(k[1]).Run();
        double traf = Between(r, 60, 180), sped = Between(r, 50, 100);
        if (read.Next() && !read.IsNull(0) && !read.IsNull(1)) {
            traf = Walk(r, read.Double(0), 15, 0, 300);
            sped = Walk(r, read.Double(1), 8, 5, 120);
        }
        const int trafInt = static_cast<int>(traf);
        const double speed = static_cast<int>(sped * 1000) / 1000.0;
        const double occupancy = std::clamp(trafInt / (speed / 10.0), 0.0, 100.0);
        const double occRounded = static_cast<int>(occupancy * 10) / 10.0;
        WriteNewest(update, insert, k, now, {trafInt, speed, occRounded, TrafficState(speed)});
        ++round.trafficRows;
    }
}

void FeedCross(const QSqlDatabase& db, QRandomGenerator& r, const QString& now, TFeedRound& round) {
    const auto keys = Keys(
        db,
        QStringLiteral(
            "SELECT DISTINCT O.ATC_ID, R.CROS_DIR_TYPE FROM OVD_INFO O "
            "JOIN ROAD_LINK_INFO R ON R.LINK_ID = O.LINK_ID JOIN ATC_INFO A ON A.ATC_ID = O.ATC_ID "
            "WHERE A.EQUP_TYPE = '1' AND A.OPER_STAT = 'Y' AND R.CROS_DIR_TYPE IS NOT NULL"));
    TStatement read(
        db, QStringLiteral("SELECT SPED, LEFT_TRAF, STGH_TRAF, RIGH_TRAF FROM COSM_NEW_TRAF_INFO "
                           "WHERE ATC_ID = ? AND CROS_DIR_TYPE = ?"));
    TStatement update(db, QStringLiteral("UPDATE COSM_NEW_TRAF_INFO SET TYPE_TIME = ?, SPED = ?, "
                                         "LEFT_TRAF = ?, STGH_TRAF = ?, RIGH_TRAF = ? "
                                         "WHERE ATC_ID = ? AND CROS_DIR_TYPE = ?"));
    TStatement insert(
        db,
        QStringLiteral(
            "INSERT INTO COSM_NEW_TRAF_INFO (ATC_ID, CROS_DIR_TYPE, TYPE_TIME, SPED, LEFT_TRAF, "
            "STGH_TRAF, RIGH_TRAF) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (const QStringList& k : keys) {
        read.Bind(k[0]).Bind(k[1]).Run();
        double sped = Between(r, 20, 60), left = Between(r, 5, 40), straight = Between(r, 20, 120),
               right = Between(r, 5, 40);
        if (read.Next() && !read.IsNull(0) && !read.IsNull(1) && !read.IsNull(2) &&
            !read.IsNull(3)) {
            sped = Walk(r, read.Double(0), 5, 5, 80);
            left = Walk(r, read.Double(1), 5, 0, 100);
            straight = Walk(r, read.Double(2), 10, 0, 250);
            right = Walk(r, read.Double(3), 5, 0, 100);
        }
        WriteNewest(update, insert, k, now,
                    {static_cast<int>(sped * 10) / 10.0, static_cast<int>(left),
                     static_cast<int>(straight), static_cast<int>(right)});
        ++round.crossRows;
    }
}

void FeedStatus(const QSqlDatabase& db, QRandomGenerator& r, const QString& now,
                TFeedRound& round) {
    QStringList columns;
    for (const char* f : kFlags) columns << QLatin1String(f);
    QStringList controllers;
    {
        TStatement s(db, QStringLiteral("SELECT ATC_ID FROM ATC_INFO WHERE OPER_STAT = 'Y'"));
        s.Run();
        while (s.Next()) controllers << s.Text(0);
    }
    TStatement read(db, QStringLiteral("SELECT %1 FROM EQUP_STAT_HIST_NEW_INFO WHERE ATC_ID = ?")
                            .arg(columns.join(QStringLiteral(", "))));
    QStringList sets, marks;
    for (int i = 0; i < kFlagCount; ++i) {
        sets << QStringLiteral("%1 = ?").arg(columns[i]);
        marks << QStringLiteral("?");
    }
    TStatement update(
        db, QStringLiteral("UPDATE EQUP_STAT_HIST_NEW_INFO SET STAT_TIME = ?, %1 WHERE ATC_ID = ?")
                .arg(sets.join(", ")));
    TStatement insert(
        db, QStringLiteral(
                "INSERT INTO EQUP_STAT_HIST_NEW_INFO (ATC_ID, STAT_TIME, %1) VALUES (?, ?, %2)")
                .arg(columns.join(", "), marks.join(", ")));
    for (const QString& atc : controllers) {
        QStringList flags;
        read.Bind(atc).Run();
        const bool known = read.Next();
        for (int i = 0; i < kFlagCount; ++i)
            flags << (known && !read.IsNull(i) ? read.Text(i) : QStringLiteral("1"));
        // Faults come now and then and clear again after a few rounds.
        for (QString& f : flags) {
            if (f != QLatin1String("1") && r.bounded(4) == 0) {
                f = QStringLiteral("1");
                ++round.flagsChanged;
            }
        }
        if (r.bounded(20) == 0) {
            QString& f = flags[r.bounded(kFlagCount)];
            if (f == QLatin1String("1")) {
                f = QStringLiteral("0");
                ++round.flagsChanged;
            }
        }
        QVariantList figures;
        for (const QString& f : flags) figures << f;
        WriteNewest(update, insert, {atc}, now, figures);
        ++round.statusRows;
    }
}
}  // namespace

QString FeedOnce(const QString& databasePath, QRandomGenerator& random, const QDateTime& now,
                 TFeedRound* round) {
    // The programs read while the feed writes; both sides wait for each other a little.
    TSimDb db(databasePath, 5000);
    if (!db.Ok()) return db.Error();
    const QString stamp = now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    TFeedRound counts;
    QString message;
    try {
        if (!db.BeginWrite()) throw TFeedError(db.Db().lastError().text().toStdString());
        try {
            FeedVds(db.Db(), random, stamp, counts);
            FeedCross(db.Db(), random, stamp, counts);
            FeedStatus(db.Db(), random, stamp, counts);
            if (!db.Commit()) throw TFeedError(db.Db().lastError().text().toStdString());
        } catch (...) {
            db.Rollback();
            throw;
        }
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
        counts = TFeedRound();
    }
    if (round) *round = counts;
    return message;
}
