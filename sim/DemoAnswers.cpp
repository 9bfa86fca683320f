#include "DemoAnswers.h"

#include <iconv.h>
#include <sqlite3.h>

#include <QDateTime>
#include <QMap>
#include <QPair>
#include <QStringList>
#include <QVector>
#include <mutex>

namespace {

enum TOpcode { opAccuTraf = 5, opThreshold = 10, opLeapTime = 17, opMemChk = 18, opEcho = 19,
               opVersion = 21, opDownload = 14, opUpload = 15 };
constexpr int kIdByte0 = 0, kIdByte1 = 1, kOpcodeByte = 2, kIndexByte = 3, kDataByte = 4;
constexpr int kEchoBytes = 10;
constexpr int kLengthStepCm = 10;
const char* const kStampFormat = "yyyy-MM-dd HH:mm:ss";

// What was last downloaded to a controller, by id and parameter index, as it would be stored.
std::mutex g_mutex;
QMap<QPair<QString, int>, QString> g_downloaded;

class TDb {
public:
    explicit TDb(const QString& path) {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
            return;
        }
        sqlite3_busy_timeout(m_db, 3000);
    }
    ~TDb() { sqlite3_close(m_db); }
    bool Ok() const { return m_db != nullptr; }

    // Runs sql with text parameters; returns the first column of every row.
    QStringList Query(const char* sql, const QStringList& params = {}) {
        QStringList out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr) != SQLITE_OK) {
            qWarning("demo answer: %s", sqlite3_errmsg(m_db));
            return out;
        }
        for (int i = 0; i < params.size(); ++i) {
            const QByteArray v = params[i].toUtf8();
            if (params[i].isNull())
                sqlite3_bind_null(st, i + 1);
            else
                sqlite3_bind_text(st, i + 1, v.constData(), v.size(), SQLITE_TRANSIENT);
        }
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            out << (t ? QString::fromUtf8(t) : QString());
        }
        if (rc != SQLITE_DONE) qWarning("demo answer: %s", sqlite3_errmsg(m_db));
        sqlite3_finalize(st);
        return out;
    }

private:
    sqlite3* m_db = nullptr;
};

// The ids whose characters 1-2 and 3-4 give the frame's two id bytes.
QStringList Controllers(TDb& db, const QByteArray& frame) {
    return db.Query(
        "SELECT ATC_ID FROM ATC_INFO WHERE length(ATC_ID) >= 4 "
        "AND (CAST(substr(ATC_ID, 1, 2) AS INTEGER) % 256) = CAST(?1 AS INTEGER) "
        "AND (CAST(substr(ATC_ID, 3, 2) AS INTEGER) % 256) = CAST(?2 AS INTEGER)",
        {QString::number(static_cast<unsigned char>(frame[kIdByte0])),
         QString::number(static_cast<unsigned char>(frame[kIdByte1]))});
}

// A time stamp after every one the table holds, so the new row is the newest.
QString NextStamp(TDb& db, const char* newestSql, const QString& atcId) {
    QDateTime stamp = QDateTime::currentDateTime();
    const QStringList newest = db.Query(newestSql, {atcId});
    if (!newest.isEmpty() && !newest[0].isEmpty()) {
        const QDateTime last = QDateTime::fromString(newest[0], QString::fromLatin1(kStampFormat));
        if (last.isValid() && last >= stamp) stamp = last.addSecs(1);
    }
    return stamp.toString(QString::fromLatin1(kStampFormat));
}

unsigned Byte(const QByteArray& frame, int i) { return i < frame.size() ? static_cast<unsigned char>(frame[i]) : 0u; }

// The stored text of a downloaded parameter, as the controller would report it back.
QString StoredText(int index, const QByteArray& f) {
    QString out;
    switch (index) {
        case 1:
            for (int k = 0; k < 32; ++k)
                out += (Byte(f, kDataByte + k / 8) >> (7 - k % 8)) & 1u ? QLatin1Char('1') : QLatin1Char('0');
            return out;
        case 2:
            for (int k = 0; k < 32; ++k) out += Byte(f, kDataByte + k) ? QLatin1Char('1') : QLatin1Char('0');
            return out;
        case 4:
            return QString::asprintf("%03u%03u", Byte(f, kDataByte), Byte(f, kDataByte + 1));
        case 5:
            for (int k = 0; k < 12; ++k) out += QString::asprintf("%03u", Byte(f, kDataByte + k));
            return out;
        case 6:
            for (int k = 0; k < 3; ++k) out += QString::asprintf("%04u", Byte(f, kDataByte + k) * kLengthStepCm);
            return out;
        case 3:
        case 12:
        case 13:
        case 14:
            return QString::number(Byte(f, kDataByte));
        default:
            return {};
    }
}

QString EchoText(const QByteArray& frame) {
    QByteArray bytes = frame.mid(kIndexByte, kEchoBytes);
    const int nul = bytes.indexOf('\0');
    if (nul >= 0) bytes.truncate(nul);
    iconv_t cd = iconv_open("UTF-8", "CP949");
    if (cd == reinterpret_cast<iconv_t>(-1)) return QString::fromLatin1(bytes);
    char out[64];
    char* in = bytes.data();
    size_t inLeft = static_cast<size_t>(bytes.size());
    char* o = out;
    size_t outLeft = sizeof out;
    // A double-byte character cut by the 10-byte field is dropped.
    iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    return QString::fromUtf8(out, static_cast<int>(sizeof out - outLeft));
}

void Upload(TDb& db, const QString& atcId, int index) {
    QString value;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        value = g_downloaded.value({atcId, index});
    }
    const QString column = QString::asprintf("PARA%03d_VALU", index);
    if (value.isNull()) {
        const QByteArray sql = QStringLiteral("SELECT %1 FROM ATC_PARA_HIST_INFO WHERE ATC_ID = ?1 AND PARA_INDX = %2 "
                                              "ORDER BY MAGM_TIME DESC LIMIT 1")
                                   .arg(column)
                                   .arg(index)
                                   .toUtf8();
        const QStringList stored = db.Query(sql.constData(), {atcId});
        if (stored.isEmpty() || stored[0].isNull()) return;  // nothing the controller could report
        value = stored[0];
    }
    const QString stamp = NextStamp(db, "SELECT MAX(MAGM_TIME) FROM ATC_PARA_HIST_INFO WHERE ATC_ID = ?1", atcId);
    const QByteArray sql =
        QStringLiteral("INSERT INTO ATC_PARA_HIST_INFO (ATC_ID, PARA_INDX, MAGM_TIME, %1) VALUES (?1, %2, ?2, ?3)")
            .arg(column)
            .arg(index)
            .toUtf8();
    db.Query(sql.constData(), {atcId, stamp, value});
}

// A new management reply: the newest one's fields, with the one the command answers replaced.
void Reply(TDb& db, const QString& atcId, const char* column, const QString& value) {
    const QString stamp =
        NextStamp(db, "SELECT MAX(MAGM_RESP_TIME) FROM OVD_MAGM_HIST_INFO WHERE ATC_ID = ?1", atcId);
    db.Query("INSERT INTO OVD_MAGM_HIST_INFO (ATC_ID, MAGM_RESP_TIME, THRESHOLD, ONLINE_STATUS, MEMORY, ECHO) "
             "SELECT ?1, ?2, THRESHOLD, ONLINE_STATUS, MEMORY, ECHO FROM OVD_MAGM_HIST_INFO WHERE ATC_ID = ?1 "
             "ORDER BY MAGM_RESP_TIME DESC LIMIT 1",
             {atcId, stamp});
    if (db.Query("SELECT COUNT(*) FROM OVD_MAGM_HIST_INFO WHERE ATC_ID = ?1 AND MAGM_RESP_TIME = ?2",
                 {atcId, stamp})
            .value(0) == QLatin1String("0"))
        db.Query("INSERT INTO OVD_MAGM_HIST_INFO (ATC_ID, MAGM_RESP_TIME, THRESHOLD, ONLINE_STATUS, MEMORY) "
                 "VALUES (?1, ?2, 0, 0, 'N')",
                 {atcId, stamp});
    const QByteArray sql =
        QStringLiteral("UPDATE OVD_MAGM_HIST_INFO SET %1 = ?3 WHERE ATC_ID = ?1 AND MAGM_RESP_TIME = ?2")
            .arg(QString::fromLatin1(column))
            .toUtf8();
    db.Query(sql.constData(), {atcId, stamp, value});
}

QString SecondsSinceLoss(TDb& db, const QString& atcId) {
    const QStringList row = db.Query(
        "SELECT CASE WHEN COM_ERR_STAT = '1' THEN '0' ELSE STAT_TIME END FROM EQUP_STAT_HIST_NEW_INFO "
        "WHERE ATC_ID = ?1",
        {atcId});
    if (row.isEmpty() || row[0] == QLatin1String("0")) return QStringLiteral("0");
    const QDateTime since = QDateTime::fromString(row[0], QString::fromLatin1(kStampFormat));
    return since.isValid() ? QString::number(qMax<qint64>(0, since.secsTo(QDateTime::currentDateTime())))
                           : QStringLiteral("0");
}

// The traffic of the last hour, per detector lane, every five minutes.
void AccumulatedTraffic(TDb& db, const QString& atcId) {
    const QStringList lanes = db.Query("SELECT LANE_NUM FROM OVD_INFO WHERE ATC_ID = ?1 ORDER BY LANE_NUM", {atcId});
    QDateTime t = QDateTime::currentDateTime();
    t = t.addSecs(-(t.time().minute() % 5) * 60 - t.time().second());
    for (int step = 12; step >= 1; --step) {
        const QString stamp = t.addSecs(-step * 300).toString(QString::fromLatin1(kStampFormat));
        for (const QString& lane : lanes) {
            const int n = lane.toInt() * 7 + step * 3;
            db.Query("DELETE FROM ACCU_TRAF_INFO WHERE ATC_ID = ?1 AND LANE_NUM = CAST(?2 AS INTEGER) AND DETC_TIME = ?3",
                     {atcId, lane, stamp});
            db.Query("INSERT INTO ACCU_TRAF_INFO (ATC_ID, LANE_NUM, DETC_TIME, SPED, TRAF, OCCU_RATE, USED_STAT) "
                     "VALUES (?1, CAST(?2 AS INTEGER), ?3, CAST(?4 AS REAL), CAST(?5 AS INTEGER), CAST(?6 AS REAL), 0)",
                     {atcId, lane, stamp, QString::number(55 + n % 40), QString::number(8 + n % 25),
                      QString::number(4 + (n % 30) / 2.0)});
        }
    }
}

}  // namespace

void WriteDemoAnswers(const QString& databasePath, const QByteArray& frame) {
    if (frame.size() <= kOpcodeByte) return;
    const int opcode = static_cast<unsigned char>(frame[kOpcodeByte]);
    const int index = static_cast<int>(Byte(frame, kIndexByte));
    TDb db(databasePath);
    if (!db.Ok()) return;
    for (const QString& atcId : Controllers(db, frame)) {
        switch (opcode) {
            case opDownload: {
                const QString text = StoredText(index, frame);
                if (text.isEmpty()) break;
                std::lock_guard<std::mutex> lock(g_mutex);
                g_downloaded[{atcId, index}] = text;
                break;
            }
            case opUpload:
                Upload(db, atcId, index);
                break;
            case opThreshold:
                Reply(db, atcId, "THRESHOLD", QString::number(index));
                break;
            case opLeapTime:
                Reply(db, atcId, "ONLINE_STATUS", SecondsSinceLoss(db, atcId));
                break;
            case opMemChk:
                Reply(db, atcId, "MEMORY", QStringLiteral("N"));
                break;
            case opEcho:
                Reply(db, atcId, "ECHO", EchoText(frame));
                break;
            case opVersion:
                db.Query("UPDATE ATC_INFO SET ATC_VER = 'V2.1', ATC_CRTE_DATE = '20190315' WHERE ATC_ID = ?1",
                         {atcId});
                break;
            case opAccuTraf:
                AccumulatedTraffic(db, atcId);
                break;
            default:
                break;
        }
    }
}
