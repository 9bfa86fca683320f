#include "LiveFeed.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <stdexcept>

namespace {
const char* const kFlags[] = {"HRCL", "HPOS", "HROM", "HRAM", "SUMT", "SLPF",
                              "SSPF", "SDOO", "SFAF", "SCOR", "SACK", "COM_ERR_STAT"};
constexpr int kFlagCount = sizeof(kFlags) / sizeof(kFlags[0]);

struct TFeedError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class TStatement {
public:
    TStatement(sqlite3* db, const QString& sql) : m_db(db) {
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &m_stmt, nullptr) != SQLITE_OK)
            throw TFeedError(sqlite3_errmsg(db));
    }
    ~TStatement() { sqlite3_finalize(m_stmt); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    TStatement& Bind(int i, const QString& v) {
        const QByteArray b = v.toUtf8();
        sqlite3_bind_text(m_stmt, i, b.constData(), b.size(), SQLITE_TRANSIENT);
        return *this;
    }
    TStatement& Bind(int i, double v) {
        sqlite3_bind_double(m_stmt, i, v);
        return *this;
    }
    TStatement& Bind(int i, int v) {
        sqlite3_bind_int(m_stmt, i, v);
        return *this;
    }
    // true while there is a row.
    bool Step() {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        throw TFeedError(sqlite3_errmsg(m_db));
    }
    // Runs to the end and gives the number of rows changed.
    int Run() {
        while (Step()) {
        }
        const int changed = sqlite3_changes(m_db);
        sqlite3_reset(m_stmt);
        return changed;
    }
    void Reset() { sqlite3_reset(m_stmt); }
    QString Text(int i) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
        return p ? QString::fromUtf8(p) : QString();
    }
    bool IsNull(int i) const { return sqlite3_column_type(m_stmt, i) == SQLITE_NULL; }
    double Double(int i) const { return sqlite3_column_double(m_stmt, i); }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

void Exec(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "SQL error";
        sqlite3_free(error);
        throw TFeedError(message);
    }
}

QVector<QStringList> Keys(sqlite3* db, const QString& sql) {
    QVector<QStringList> keys;
    TStatement s(db, sql);
    while (s.Step()) keys.append({s.Text(0), s.Text(1)});
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

void FeedVds(sqlite3* db, QRandomGenerator& r, const QString& now, TFeedRound& round) {
    const auto keys = Keys(
        db,
        QStringLiteral(
            "SELECT DISTINCT O.ATC_ID, R.IOFL_TYPE FROM OVD_INFO O "
            "JOIN ROAD_LINK_INFO R ON R.LINK_ID = O.LINK_ID JOIN ATC_INFO A ON A.ATC_ID = O.ATC_ID "
            "WHERE A.EQUP_TYPE = '2' AND A.OPER_STAT = 'Y' AND R.IOFL_TYPE IN ('1', '2')"));
    TStatement read(
        db, QStringLiteral(
                "SELECT TRAF, SPED FROM ATC_NEW_TRAF_INFO WHERE ATC_ID = ?1 AND IOFL_TYPE = ?2"));
    TStatement update(
        db,
        QStringLiteral(
            "UPDATE ATC_NEW_TRAF_INFO SET TYPE_TIME = ?3, TRAF = ?4, SPED = ?5, OCCU_RATE = ?6, "
            "TRAF_STAT = ?7 WHERE ATC_ID = ?1 AND IOFL_TYPE = ?2"));
    TStatement insert(
        db,
        QStringLiteral(
            "INSERT INTO ATC_NEW_TRAF_INFO (ATC_ID, IOFL_TYPE, TYPE_TIME, TRAF, SPED, OCCU_RATE, "
            "TRAF_STAT) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"));
    for (const QStringList& k : keys) {
        read.Bind(1, k[0]).Bind(2, k[1]);
        double traf = Between(r, 60, 180), sped = Between(r, 50, 100);
        if (read.Step() && !read.IsNull(0) && !read.IsNull(1)) {
            traf = Walk(r, read.Double(0), 15, 0, 300);
            sped = Walk(r, read.Double(1), 8, 5, 120);
        }
        read.Reset();
        const int trafInt = static_cast<int>(traf);
        const double speed = static_cast<int>(sped * 1000) / 1000.0;
        const double occupancy = std::clamp(trafInt / (speed / 10.0), 0.0, 100.0);
        const double occRounded = static_cast<int>(occupancy * 10) / 10.0;
        for (TStatement* s : {&update, &insert}) {
            s->Bind(1, k[0]).Bind(2, k[1]).Bind(3, now).Bind(4, trafInt).Bind(5, speed);
            s->Bind(6, occRounded).Bind(7, TrafficState(speed));
        }
        if (update.Run() == 0) insert.Run();
        ++round.trafficRows;
    }
}

void FeedCross(sqlite3* db, QRandomGenerator& r, const QString& now, TFeedRound& round) {
    const auto keys = Keys(
        db,
        QStringLiteral(
            "SELECT DISTINCT O.ATC_ID, R.CROS_DIR_TYPE FROM OVD_INFO O "
            "JOIN ROAD_LINK_INFO R ON R.LINK_ID = O.LINK_ID JOIN ATC_INFO A ON A.ATC_ID = O.ATC_ID "
            "WHERE A.EQUP_TYPE = '1' AND A.OPER_STAT = 'Y' AND R.CROS_DIR_TYPE IS NOT NULL"));
    TStatement read(
        db, QStringLiteral("SELECT SPED, LEFT_TRAF, STGH_TRAF, RIGH_TRAF FROM COSM_NEW_TRAF_INFO "
                           "WHERE ATC_ID = ?1 AND CROS_DIR_TYPE = ?2"));
    TStatement update(db,
                      QStringLiteral("UPDATE COSM_NEW_TRAF_INFO SET TYPE_TIME = ?3, SPED = ?4, "
                                     "LEFT_TRAF = ?5, STGH_TRAF = ?6, "
                                     "RIGH_TRAF = ?7 WHERE ATC_ID = ?1 AND CROS_DIR_TYPE = ?2"));
    TStatement insert(
        db,
        QStringLiteral(
            "INSERT INTO COSM_NEW_TRAF_INFO (ATC_ID, CROS_DIR_TYPE, TYPE_TIME, SPED, LEFT_TRAF, "
            "STGH_TRAF, RIGH_TRAF) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"));
    for (const QStringList& k : keys) {
        read.Bind(1, k[0]).Bind(2, k[1]);
        double sped = Between(r, 20, 60), left = Between(r, 5, 40), straight = Between(r, 20, 120),
               right = Between(r, 5, 40);
        if (read.Step() && !read.IsNull(0) && !read.IsNull(1) && !read.IsNull(2) &&
            !read.IsNull(3)) {
            sped = Walk(r, read.Double(0), 5, 5, 80);
            left = Walk(r, read.Double(1), 5, 0, 100);
            straight = Walk(r, read.Double(2), 10, 0, 250);
            right = Walk(r, read.Double(3), 5, 0, 100);
        }
        read.Reset();
        for (TStatement* s : {&update, &insert}) {
            s->Bind(1, k[0]).Bind(2, k[1]).Bind(3, now).Bind(4, static_cast<int>(sped * 10) / 10.0);
            s->Bind(5, static_cast<int>(left)).Bind(6, static_cast<int>(straight));
            s->Bind(7, static_cast<int>(right));
        }
        if (update.Run() == 0) insert.Run();
        ++round.crossRows;
    }
}

void FeedStatus(sqlite3* db, QRandomGenerator& r, const QString& now, TFeedRound& round) {
    QStringList columns;
    for (const char* f : kFlags) columns << QLatin1String(f);
    QStringList controllers;
    {
        TStatement s(db, QStringLiteral("SELECT ATC_ID FROM ATC_INFO WHERE OPER_STAT = 'Y'"));
        while (s.Step()) controllers << s.Text(0);
    }
    TStatement read(db, QStringLiteral("SELECT %1 FROM EQUP_STAT_HIST_NEW_INFO WHERE ATC_ID = ?1")
                            .arg(columns.join(QStringLiteral(", "))));
    QStringList sets, marks;
    for (int i = 0; i < kFlagCount; ++i) {
        sets << QStringLiteral("%1 = ?%2").arg(columns[i]).arg(i + 3);
        marks << QStringLiteral("?%1").arg(i + 3);
    }
    TStatement update(
        db,
        QStringLiteral("UPDATE EQUP_STAT_HIST_NEW_INFO SET STAT_TIME = ?2, %1 WHERE ATC_ID = ?1")
            .arg(sets.join(", ")));
    TStatement insert(
        db, QStringLiteral(
                "INSERT INTO EQUP_STAT_HIST_NEW_INFO (ATC_ID, STAT_TIME, %1) VALUES (?1, ?2, %2)")
                .arg(columns.join(", "), marks.join(", ")));
    for (const QString& atc : controllers) {
        QStringList flags;
        read.Bind(1, atc);
        const bool known = read.Step();
        for (int i = 0; i < kFlagCount; ++i)
            flags << (known && !read.IsNull(i) ? read.Text(i) : QStringLiteral("1"));
        read.Reset();
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
        for (TStatement* s : {&update, &insert}) {
            s->Bind(1, atc).Bind(2, now);
            for (int i = 0; i < kFlagCount; ++i) s->Bind(i + 3, flags[i]);
        }
        if (update.Run() == 0) insert.Run();
        ++round.statusRows;
    }
}
}  // namespace

QString FeedOnce(const QString& databasePath, QRandomGenerator& random, const QDateTime& now,
                 TFeedRound* round) {
    if (!QFileInfo(databasePath).isFile())
        return QStringLiteral("no database file at %1").arg(databasePath);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(databasePath.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : "cannot open");
        sqlite3_close(db);
        return message;
    }
    // The programs read while the feed writes; both sides wait for each other a little.
    sqlite3_busy_timeout(db, 5000);
    const QString stamp = now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    TFeedRound counts;
    QString message;
    try {
        Exec(db, "BEGIN IMMEDIATE");
        try {
            FeedVds(db, random, stamp, counts);
            FeedCross(db, random, stamp, counts);
            FeedStatus(db, random, stamp, counts);
            Exec(db, "COMMIT");
        } catch (...) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
        counts = TFeedRound();
    }
    sqlite3_close(db);
    if (round) *round = counts;
    return message;
}
