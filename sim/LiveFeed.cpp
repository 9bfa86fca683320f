#include "LiveFeed.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

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
    QVariant Value(int i) const { return m_query.value(i); }

private:
    QSqlQuery m_query;
};

// The newest row of each key in one table: updated in place, inserted where there was none.
class TNewestRows {
public:
    TNewestRows(const QSqlDatabase& db, const QString& table, const QString& timeColumn,
                const QStringList& keys, const QStringList& figures)
        : m_read(db, QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                         .arg(figures.join(QStringLiteral(", ")), table, Matches(keys))),
          m_update(
              db, QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                      .arg(table, Matches(QStringList{timeColumn} + figures, ", "), Matches(keys))),
          m_insert(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(table, (keys + QStringList{timeColumn} + figures).join(", "),
                                Marks(keys.size() + 1 + figures.size()))),
          m_figures(static_cast<int>(figures.size())) {}

    // The stored figures of keyValues (a NULL one as a null value); none before the first write.
    std::optional<QVariantList> Stored(const QStringList& keyValues) {
        for (const QString& k : keyValues) m_read.Bind(k);
        m_read.Run();
        if (!m_read.Next()) return std::nullopt;
        QVariantList values;
        for (int i = 0; i < m_figures; ++i) values << m_read.Value(i);
        return values;
    }

    void Write(const QStringList& keyValues, const QString& now, const QVariantList& figures) {
        m_update.Bind(now);
        for (const QVariant& f : figures) m_update.Bind(f);
        for (const QString& k : keyValues) m_update.Bind(k);
        if (m_update.Changed() != 0) return;
        for (const QString& k : keyValues) m_insert.Bind(k);
        m_insert.Bind(now);
        for (const QVariant& f : figures) m_insert.Bind(f);
        m_insert.Run();
    }

private:
    static QString Matches(const QStringList& columns, const char* separator = " AND ") {
        QStringList parts;
        for (const QString& c : columns) parts << c + QStringLiteral(" = ?");
        return parts.join(QLatin1String(separator));
    }
    static QString Marks(qsizetype n) {
        return QStringList(n, QStringLiteral("?")).join(QStringLiteral(", "));
    }

    TStatement m_read;
    TStatement m_update;
    TStatement m_insert;
    int m_figures;
};

// Stored figures that are all there.
bool Whole(const std::optional<QVariantList>& stored, int count) {
    if (!stored) return false;
    for (int i = 0; i < count; ++i)
        if (stored->at(i).isNull()) return false;
    return true;
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

// How one figure moves: a fresh value between freshLow and freshHigh where none is stored, else
// the stored one walked by up to step, kept between low and high.
struct TWalk {
    double freshLow, freshHigh, step, low, high;
};

QVector<double> NextFigures(QRandomGenerator& r, const std::optional<QVariantList>& stored,
                            const std::vector<TWalk>& walks) {
    QVector<double> values;
    for (const TWalk& w : walks) values << Between(r, w.freshLow, w.freshHigh);
    if (!Whole(stored, static_cast<int>(walks.size()))) return values;
    for (size_t i = 0; i < walks.size(); ++i)
        values[i] = Walk(r, stored->at(i).toDouble(), walks[i].step, walks[i].low, walks[i].high);
    return values;
}

// One round over a newest-traffic table of the operating controllers of equpType: each of their
// (ATC_ID, keyColumn) that matches where gets the figures next makes of its stored ones. Returns
// the rows written.
int FeedTraffic(const QSqlDatabase& db, const QString& now, const QString& table,
                const QString& equpType, const QString& keyColumn, const QString& where,
                const QStringList& figures,
                const std::function<QVariantList(const std::optional<QVariantList>&)>& next) {
    TNewestRows rows(db, table, QStringLiteral("TYPE_TIME"), {QStringLiteral("ATC_ID"), keyColumn},
                     figures);
    const auto keys =
        Keys(db, QStringLiteral("SELECT DISTINCT O.ATC_ID, R.%1 FROM OVD_INFO O "
                                "JOIN ROAD_LINK_INFO R ON R.LINK_ID = O.LINK_ID "
                                "JOIN ATC_INFO A ON A.ATC_ID = O.ATC_ID "
                                "WHERE A.EQUP_TYPE = '%2' AND A.OPER_STAT = 'Y' AND %3")
                     .arg(keyColumn, equpType, where));
    for (const QStringList& k : keys) rows.Write(k, now, next(rows.Stored(k)));
    return static_cast<int>(keys.size());
}

void FeedVds(const QSqlDatabase& db, QRandomGenerator& r, const QString& now, TFeedRound& round) {
    const QStringList figures = {QStringLiteral("TRAF"), QStringLiteral("SPED"),
                                 QStringLiteral("OCCU_RATE"), QStringLiteral("TRAF_STAT")};
    // The volume and the speed walk on; occupancy and state follow from them.
    const auto next = [&r](const std::optional<QVariantList>& stored) -> QVariantList {
        const QVector<double> v =
            NextFigures(r, stored, {{60, 180, 15, 0, 300}, {50, 100, 8, 5, 120}});
        const int traf = static_cast<int>(v[0]);
        const double speed = static_cast<int>(v[1] * 1000) / 1000.0;
        const double occupancy = std::clamp(traf / (speed / 10.0), 0.0, 100.0);
        return {traf, speed, static_cast<int>(occupancy * 10) / 10.0, TrafficState(speed)};
    };
    round.trafficRows += FeedTraffic(db, now, QStringLiteral("ATC_NEW_TRAF_INFO"),
                                     QStringLiteral("2"), QStringLiteral("IOFL_TYPE"),
                                     QStringLiteral("R.IOFL_TYPE IN ('1', '2')"), figures, next);
}

void FeedCross(const QSqlDatabase& db, QRandomGenerator& r, const QString& now, TFeedRound& round) {
    const auto next = [&r](const std::optional<QVariantList>& stored) -> QVariantList {
        const QVector<double> v = NextFigures(
            r, stored,
            {{20, 60, 5, 5, 80}, {5, 40, 5, 0, 100}, {20, 120, 10, 0, 250}, {5, 40, 5, 0, 100}});
        return {static_cast<int>(v[0] * 10) / 10.0, static_cast<int>(v[1]), static_cast<int>(v[2]),
                static_cast<int>(v[3])};
    };
    round.crossRows +=
        FeedTraffic(db, now, QStringLiteral("COSM_NEW_TRAF_INFO"), QStringLiteral("1"),
                    QStringLiteral("CROS_DIR_TYPE"), QStringLiteral("R.CROS_DIR_TYPE IS NOT NULL"),
                    {QStringLiteral("SPED"), QStringLiteral("LEFT_TRAF"),
                     QStringLiteral("STGH_TRAF"), QStringLiteral("RIGH_TRAF")},
                    next);
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
    TNewestRows rows(db, QStringLiteral("EQUP_STAT_HIST_NEW_INFO"), QStringLiteral("STAT_TIME"),
                     {QStringLiteral("ATC_ID")}, columns);
    for (const QString& atc : controllers) {
        const auto stored = rows.Stored({atc});
        QStringList flags;
        for (int i = 0; i < kFlagCount; ++i)
            flags << (stored && !stored->at(i).isNull() ? stored->at(i).toString()
                                                        : QStringLiteral("1"));
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
        rows.Write({atc}, now, figures);
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
