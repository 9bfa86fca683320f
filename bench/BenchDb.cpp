#include "BenchDb.h"

#include <sqlite3.h>

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "SqlScript.h"

namespace {

constexpr int kControllersPerAxis = 50;
constexpr int kSpotsPerGroup = 25;

const char* const kRoads[] = {"경부고속도로", "올림픽대로", "강변북로",     "서부간선도로",
                              "동부간선도로", "내부순환로", "북부간선도로", "분당수서로",
                              "테헤란로",     "강남대로",   "종로",         "남부순환로"};
const char* const kDistricts[] = {"서초구",   "강남구", "송파구", "마포구", "용산구", "성동구",
                                  "영등포구", "구로구", "노원구", "은평구", "중구",   "종로구"};

struct TDbError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One prepared INSERT, bound by position and run once per row.
class TInsert {
public:
    TInsert(sqlite3* db, const char* sql) : m_db(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw TDbError(sqlite3_errmsg(db));
    }
    ~TInsert() { sqlite3_finalize(m_stmt); }
    TInsert(const TInsert&) = delete;
    TInsert& operator=(const TInsert&) = delete;

    // Each value is a text, an int, a double or nullptr (NULL).
    template <class... V>
    void Row(const V&... values) {
        int i = 0;
        (Bind(++i, values), ...);
        if (sqlite3_step(m_stmt) != SQLITE_DONE) throw TDbError(sqlite3_errmsg(m_db));
        sqlite3_reset(m_stmt);
    }

private:
    void Bind(int i, const QString& v) {
        const QByteArray b = v.toUtf8();
        sqlite3_bind_text(m_stmt, i, b.constData(), b.size(), SQLITE_TRANSIENT);
    }
    void Bind(int i, const char* v) { Bind(i, QString::fromUtf8(v)); }
    void Bind(int i, int v) { sqlite3_bind_int(m_stmt, i, v); }
    void Bind(int i, double v) { sqlite3_bind_double(m_stmt, i, v); }
    void Bind(int i, std::nullptr_t) { sqlite3_bind_null(m_stmt, i); }

    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

void Exec(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "SQL error";
        sqlite3_free(error);
        throw TDbError(message);
    }
}

QString Id(const char* prefix, int n, int width) {
    return QString::fromLatin1(prefix) + QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

QString AtcId(int n) {
    return Id("", n, 4);
}

QString Stamp(int seconds) {
    return QStringLiteral("2026-12-08 17:%1:%2")
        .arg(40 + seconds / 60 % 20, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// Every 13th controller reports a fault or two; the rest are normal.
QStringList StatusFlags(int n) {
    QStringList flags(12, QStringLiteral("1"));
    if (n % 13 == 0) flags[n % 11] = QStringLiteral("0");
    if (n % 39 == 0) flags[11] = QStringLiteral("0");
    return flags;
}

void Fill(sqlite3* db, int n) {
    const int axes = std::max(1, (n + kControllersPerAxis - 1) / kControllersPerAxis);
    const int crossings = std::max(1, n / 10);
    const int spots = n + crossings;
    const int groups = std::max(1, (spots + kSpotsPerGroup - 1) / kSpotsPerGroup);
    const int roads = sizeof(kRoads) / sizeof(kRoads[0]);
    const int districts = sizeof(kDistricts) / sizeof(kDistricts[0]);

    TInsert axis(db, "INSERT INTO AXLE_INFO VALUES (?,?)");
    for (int a = 1; a <= axes; ++a)
        axis.Row(Id("X", a, 3), QString::fromUtf8(kRoads[a % roads]) + QString::number(a));

    TInsert link(db, "INSERT INTO ROAD_LINK_INFO VALUES (?,?,?,?,?)");
    TInsert spot(db, "INSERT INTO SPOT_INFO VALUES (?,?,?)");
    TInsert atc(db, "INSERT INTO ATC_INFO VALUES (?,?,?,?,?,?,?)");
    TInsert ovd(db, "INSERT INTO OVD_INFO VALUES (?,?,?,?,?)");
    TInsert traffic(db, "INSERT INTO ATC_NEW_TRAF_INFO VALUES (?,?,?,?,?,?,?)");
    TInsert crossing(db, "INSERT INTO COSM_NEW_TRAF_INFO VALUES (?,?,?,?,?,?,?)");
    TInsert status(db, "INSERT INTO EQUP_STAT_HIST_NEW_INFO VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    int ovdId = 0;
    for (int i = 1; i <= spots; ++i) {
        const bool vds = i <= n;
        const int a = (i - 1) / kControllersPerAxis % axes + 1;
        const QString atcId = AtcId(i);
        const QString spotId = Id("S", i, 5);
        const QString district = QString::fromUtf8(kDistricts[i % districts]);
        spot.Row(spotId,
                 (vds ? QStringLiteral("VDS지점") : QStringLiteral("교차로")) + QString::number(i),
                 QStringLiteral("서울 %1 %2 부근 %3번").arg(district, kRoads[a % roads]).arg(i));
        atc.Row(atcId, 1000 + i, vds ? "2" : "1", "Y", spotId, "V1.2", "20040615");
        const int links = vds ? 2 : 4;
        for (int l = 1; l <= links; ++l) {
            const QString linkId = Id("L", i, 5) + QString::number(l);
            const QString dir = QString::number((l - 1) % 2 + 1);
            if (vds)
                link.Row(linkId, Id("X", a, 3), QString::number(a * 10), dir, nullptr);
            else
                link.Row(linkId, Id("X", a, 3), QString::number(a * 10), dir, QString::number(l));
            const int lanes = vds ? 2 + (i + l) % 3 : 1;
            for (int lane = 1; lane <= lanes; ++lane) {
                ++ovdId;
                ovd.Row(ovdId, atcId, linkId, lane, ovdId % 17 == 0 ? "N" : "Y");
            }
            if (vds)
                traffic.Row(atcId, dir, Stamp(i + l), 20 + (i * 7 + l) % 90,
                            40 + (i * 37 + l * 11) % 6000 / 100.0, (i * 13 + l) % 400 / 8.0,
                            QString::number(1 + (i + l) % 3));
            else
                crossing.Row(atcId, QString::number(l), Stamp(i + l), 20 + (i + l) % 4000 / 100.0,
                             (i + l) % 15, 30 + (i * 3 + l) % 40, (i + 2 * l) % 12);
        }
        const QStringList flags = StatusFlags(i);
        status.Row(atcId, Stamp(i), flags[0], flags[1], flags[2], flags[3], flags[4], flags[5],
                   flags[6], flags[7], flags[8], flags[9], flags[10], flags[11]);
    }

    // Group number '0' is the grouping the trees list; '1' is another that they must skip.
    TInsert group(db, "INSERT INTO RESR_SPOT_INFO VALUES (?,?,?,?)");
    TInsert member(db, "INSERT INTO RESR_SPOT_CONF_INFO VALUES (?,?,?)");
    for (int g = 1; g <= groups; ++g)
        group.Row("0", "전체", Id("R", g, 3),
                  QStringLiteral("조사지점군%1").arg(g, 3, 10, QLatin1Char('0')));
    for (int g = 1; g <= std::max(1, groups / 4); ++g)
        group.Row("1", "권역", Id("Q", g, 3), QStringLiteral("권역%1").arg(g));
    for (int i = 1; i <= spots; ++i) {
        member.Row("0", Id("R", (i - 1) / kSpotsPerGroup % groups + 1, 3), Id("S", i, 5));
        if (i % 4 == 0) member.Row("1", Id("Q", i % std::max(1, groups / 4) + 1, 3), Id("S", i, 5));
    }

    TInsert code(db, "INSERT INTO BASE_CODE_INFO VALUES (?,?,?)");
    code.Row("VD_EK", "2", "VDS");
    code.Row("VD_EK", "1", "신신호");
}

}  // namespace

QString MakeBenchDatabase(const QString& path, const QString& schemaPath, int controllers) {
    if (controllers < 1) return QStringLiteral("at least one controller");
    QFile::remove(path);
    const QString error = RunSqlFile(path, schemaPath);
    if (!error.isEmpty()) return error;
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK) {
        const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : "cannot open");
        sqlite3_close(db);
        return message;
    }
    QString message;
    try {
        Exec(db, "BEGIN");
        Fill(db, controllers);
        Exec(db, "COMMIT");
    } catch (const TDbError& e) {
        message = QString::fromUtf8(e.what());
    }
    sqlite3_close(db);
    return message;
}
