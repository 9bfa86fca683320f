#include "DemoAnswers.h"

#include <iconv.h>

#include <QDateTime>
#include <QMap>
#include <QPair>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVector>
#include <mutex>

#include "SimDb.h"
#include "Wire.h"

namespace {

const char* const kStampFormat = "yyyy-MM-dd HH:mm:ss";

// What was last downloaded to a controller, by id and parameter index, as it would be stored.
std::mutex g_mutex;
QMap<QPair<QString, int>, QString> g_downloaded;

// The demo's writes, each statement on its own; a failure is logged and the answer goes without.
class TDb {
public:
    explicit TDb(const QString& database) : m_db(database, 3000) {}
    bool Ok() const { return m_db.Ok(); }

    // Runs sql with its ? bound to params in order; returns the rows as read, NULLs null.
    QList<QVariantList> Rows(const QString& sql, const QVariantList& params = {}) {
        QList<QVariantList> out;
        QSqlQuery q(m_db.Db());
        if (!q.prepare(sql)) {
            qWarning("demo answer: %s", qPrintable(q.lastError().text()));
            return out;
        }
        for (const QVariant& p : params) q.addBindValue(p);
        if (!q.exec()) {
            qWarning("demo answer: %s", qPrintable(q.lastError().text()));
            return out;
        }
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i) row << q.value(i);
            out << row;
        }
        return out;
    }
    // The first column of every row, as text.
    QStringList Query(const QString& sql, const QVariantList& params = {}) {
        QStringList out;
        for (const QVariantList& r : Rows(sql, params)) out << SimText(r.value(0));
        return out;
    }

private:
    TSimDb m_db;
};

// The ids whose characters 1-2 and 3-4, as decimal numbers, give the frame's two id bytes.
QStringList Controllers(TDb& db, const QByteArray& frame) {
    QStringList ids;
    for (const QString& id : db.Query(QStringLiteral("SELECT ATC_ID FROM ATC_INFO"))) {
        bool ok0 = false, ok1 = false;
        const int b0 = id.mid(0, 2).toInt(&ok0), b1 = id.mid(2, 2).toInt(&ok1);
        if (id.size() >= 4 && ok0 && ok1 &&
            b0 % 256 == static_cast<unsigned char>(frame[kFrameIdByte0]) &&
            b1 % 256 == static_cast<unsigned char>(frame[kFrameIdByte1]))
            ids << id;
    }
    return ids;
}

// A time stamp after every one the table holds, so the new row is the newest.
QString NextStamp(TDb& db, const QString& newestSql, const QString& atcId) {
    QDateTime stamp = QDateTime::currentDateTime();
    const QStringList newest = db.Query(newestSql, {atcId});
    if (!newest.isEmpty() && !newest[0].isEmpty()) {
        const QDateTime last = QDateTime::fromString(newest[0], QString::fromLatin1(kStampFormat));
        if (last.isValid() && last >= stamp) stamp = last.addSecs(1);
    }
    return stamp.toString(QString::fromLatin1(kStampFormat));
}

unsigned Byte(const QByteArray& frame, int i) {
    return i < frame.size() ? static_cast<unsigned char>(frame[i]) : 0u;
}

// The stored text of a downloaded parameter, as the controller would report it back.
QString StoredText(int index, const QByteArray& f) {
    QString out;
    switch (index) {
        case 1:
            for (int k = 0; k < 32; ++k)
                out += (Byte(f, kFrameData + k / 8) >> (7 - k % 8)) & 1u ? QLatin1Char('1')
                                                                         : QLatin1Char('0');
            return out;
        case 2:
            for (int k = 0; k < 32; ++k)
                out += Byte(f, kFrameData + k) ? QLatin1Char('1') : QLatin1Char('0');
            return out;
        case 4:
            return QString::asprintf("%03u%03u", Byte(f, kFrameData), Byte(f, kFrameData + 1));
        case 5:
            for (int k = 0; k < 12; ++k) out += QString::asprintf("%03u", Byte(f, kFrameData + k));
            return out;
        case 6:
            for (int k = 0; k < 3; ++k)
                out += QString::asprintf("%04u", Byte(f, kFrameData + k) * kLengthStepCm);
            return out;
        case 3:
        case 12:
        case 13:
        case 14:
            return QString::number(Byte(f, kFrameData));
        default:
            return {};
    }
}

QString EchoText(const QByteArray& frame) {
    QByteArray bytes = frame.mid(kFrameIndex, kEchoBytes);
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
        const QList<QVariantList> stored =
            db.Rows(QStringLiteral("SELECT %1 FROM ATC_PARA_HIST_INFO WHERE ATC_ID = ? AND "
                                   "PARA_INDX = %2 ORDER BY MAGM_TIME DESC LIMIT 1")
                        .arg(column)
                        .arg(index),
                    {atcId});
        // Nothing the controller could report.
        if (stored.isEmpty() || stored[0].value(0).isNull()) return;
        value = SimText(stored[0].value(0));
    }
    const QString stamp = NextStamp(
        db, QStringLiteral("SELECT MAX(MAGM_TIME) FROM ATC_PARA_HIST_INFO WHERE ATC_ID = ?"),
        atcId);
    db.Query(QStringLiteral("INSERT INTO ATC_PARA_HIST_INFO (ATC_ID, PARA_INDX, MAGM_TIME, %1) "
                            "VALUES (?, %2, ?, ?)")
                 .arg(column)
                 .arg(index),
             {atcId, stamp, value});
}

// A new management reply: the newest one's fields, with the one the command answers replaced.
void Reply(TDb& db, const QString& atcId, const char* column, const QVariant& value) {
    const QString stamp = NextStamp(
        db, QStringLiteral("SELECT MAX(MAGM_RESP_TIME) FROM OVD_MAGM_HIST_INFO WHERE ATC_ID = ?"),
        atcId);
    const QStringList fields = {QStringLiteral("THRESHOLD"), QStringLiteral("ONLINE_STATUS"),
                                QStringLiteral("MEMORY"), QStringLiteral("ECHO")};
    const QList<QVariantList> newest =
        db.Rows(QStringLiteral("SELECT %1 FROM OVD_MAGM_HIST_INFO WHERE ATC_ID = ? ORDER BY "
                               "MAGM_RESP_TIME DESC LIMIT 1")
                    .arg(fields.join(QStringLiteral(", "))),
                {atcId});
    QVariantList row = {atcId, stamp};
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i] == QLatin1String(column))
            row << value;
        else if (newest.isEmpty())
            row << (fields[i] == QLatin1String("MEMORY") ? QVariant(QStringLiteral("N"))
                    : fields[i] == QLatin1String("ECHO") ? QVariant()
                                                         : QVariant(0));
        else if (newest[0].value(i).isNull())  // a NULL stays NULL
            row << QVariant();
        else
            row << SimText(newest[0].value(i));
    }
    db.Query(
        QStringLiteral(
            "INSERT INTO OVD_MAGM_HIST_INFO (ATC_ID, MAGM_RESP_TIME, THRESHOLD, ONLINE_STATUS, "
            "MEMORY, ECHO) VALUES (?, ?, ?, ?, ?, ?)"),
        row);
}

QString SecondsSinceLoss(TDb& db, const QString& atcId) {
    const QList<QVariantList> row =
        db.Rows(QStringLiteral(
                    "SELECT COM_ERR_STAT, STAT_TIME FROM EQUP_STAT_HIST_NEW_INFO WHERE ATC_ID = ?"),
                {atcId});
    if (row.isEmpty() || SimText(row[0].value(0)) == QLatin1String("1")) return QStringLiteral("0");
    const QDateTime since =
        QDateTime::fromString(SimText(row[0].value(1)), QString::fromLatin1(kStampFormat));
    return since.isValid()
               ? QString::number(qMax<qint64>(0, since.secsTo(QDateTime::currentDateTime())))
               : QStringLiteral("0");
}

// The traffic of the last hour, per detector lane, every five minutes.
void AccumulatedTraffic(TDb& db, const QString& atcId) {
    const QStringList lanes =
        db.Query(QStringLiteral("SELECT LANE_NUM FROM OVD_INFO WHERE ATC_ID = ? ORDER BY LANE_NUM"),
                 {atcId});
    QDateTime t = QDateTime::currentDateTime();
    t = t.addSecs(-(t.time().minute() % 5) * 60 - t.time().second());
    for (int step = 12; step >= 1; --step) {
        const QString stamp = t.addSecs(-step * 300).toString(QString::fromLatin1(kStampFormat));
        for (const QString& lane : lanes) {
            const int n = lane.toInt() * 7 + step * 3;
            db.Query(QStringLiteral("DELETE FROM ACCU_TRAF_INFO WHERE ATC_ID = ? AND LANE_NUM = ? "
                                    "AND DETC_TIME = ?"),
                     {atcId, lane.toInt(), stamp});
            db.Query(
                QStringLiteral("INSERT INTO ACCU_TRAF_INFO (ATC_ID, LANE_NUM, DETC_TIME, SPED, "
                               "TRAF, OCCU_RATE, "
                               "USED_STAT) VALUES (?, ?, ?, ?, ?, ?, 0)"),
                {atcId, lane.toInt(), stamp, double(55 + n % 40), 8 + n % 25, 4 + (n % 30) / 2.0});
        }
    }
}

}  // namespace

void WriteDemoAnswers(const QString& databasePath, const QByteArray& frame) {
    if (frame.size() <= kFrameOpcode) return;
    const int opcode = static_cast<unsigned char>(frame[kFrameOpcode]);
    const int index = static_cast<int>(Byte(frame, kFrameIndex));
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
                Reply(db, atcId, "THRESHOLD", index);
                break;
            case opLeapTime:
                Reply(db, atcId, "ONLINE_STATUS", SecondsSinceLoss(db, atcId).toLongLong());
                break;
            case opMemChk:
                Reply(db, atcId, "MEMORY", QStringLiteral("N"));
                break;
            case opEcho:
                Reply(db, atcId, "ECHO", EchoText(frame));
                break;
            case opVersion:
                db.Query(
                    QStringLiteral(
                        "UPDATE ATC_INFO SET ATC_VER = 'V2.1', ATC_CRTE_DATE = '20190315' WHERE "
                        "ATC_ID = ?"),
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
