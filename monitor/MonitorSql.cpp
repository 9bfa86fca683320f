#include "MonitorSql.h"

#include <algorithm>
#include <iterator>

#include "Text.h"

const QStringList& StatusFlagNames() {
    static const QStringList names = {
        QStringLiteral("HRCL"), QStringLiteral("HPOS"), QStringLiteral("HROM"),
        QStringLiteral("HRAM"), QStringLiteral("SUMT"), QStringLiteral("SLPF"),
        QStringLiteral("SSPF"), QStringLiteral("SDOO"), QStringLiteral("SFAF"),
        QStringLiteral("SCOR"), QStringLiteral("SACK")};
    return names;
}

QString StationSelectPieces() {
    QString s = QStringLiteral("R.ROAD_NUM ROAD_NUM, ") +
                QStringLiteral("S.SPOT_NAME SPOT_NAME, ") + QStringLiteral("A.ATC_NUM ATC_NUM, ") +
                QStringLiteral("B.SYS_CODE_NAME ATC_KIND, ") +
                QStringLiteral("S.SPOT_LOCA SPOT_LOCA, ");
    for (const QString& f : StatusFlagNames()) s += QStringLiteral("E.%1 %1, ").arg(f);
    return s;
}

QString NewestTrafficFromWhere() {
    return QStringLiteral("FROM  ") + QStringLiteral("ATC_NEW_TRAF_INFO M, ") +
           QStringLiteral("ROAD_LINK_INFO R, ") + QStringLiteral("SPOT_INFO S, ") +
           QStringLiteral("OVD_INFO O, ") + QStringLiteral("ATC_INFO A, ") +
           QStringLiteral("EQUP_STAT_HIST_NEW_INFO E, ") + QStringLiteral("BASE_CODE_INFO B ") +
           QStringLiteral("WHERE M.ATC_ID=O.ATC_ID ") + QStringLiteral("AND O.LINK_ID=R.LINK_ID ") +
           QStringLiteral("AND R.IOFL_TYPE=M.IOFL_TYPE ") +
           QStringLiteral("AND O.ATC_ID=A.ATC_ID ") +
           // Each row carries the status of its own controller, not of every controller.
           QStringLiteral("AND E.ATC_ID = A.ATC_ID ") +
           QStringLiteral("AND A.SET_SPOT_ID=S.SPOT_ID ") +
           QStringLiteral("AND B.CODE_TYPE = 'VD_EK' ") +
           QStringLiteral("AND B.SYS_CODE = A.EQUP_TYPE ");
}

namespace {
// The pieces both traffic queries share, from the road number to the communication status.
QString StatusSelectPieces() {
    return StationSelectPieces() + QStringLiteral("E.COM_ERR_STAT COM_ERR_STAT, ");
}
}  // namespace

QString AxisBranchSql(int mode) {
    return QStringLiteral("SELECT DISTINCT ") + QStringLiteral("A.AXLE_NAME AXLE_NAME1, ") +
           QStringLiteral("L.LINK_ID LINK_ID1, ") + QStringLiteral("S.SPOT_ID SPOT_ID1, ") +
           QStringLiteral("S.SPOT_NAME SPOT_NAME1, ") + QStringLiteral("O.ATC_ID ATC_ID1, ") +
           QStringLiteral("T.ATC_NUM ATC_NUM1 ") + QStringLiteral("FROM ROAD_LINK_INFO L, ") +
           QStringLiteral("  OVD_INFO O, ") + QStringLiteral("  ATC_INFO T, ") +
           QStringLiteral("  SPOT_INFO S, ") + QStringLiteral("  AXLE_INFO A  ") +
           QStringLiteral("WHERE L.LINK_ID=O.LINK_ID ") + QStringLiteral("AND O.ATC_ID=T.ATC_ID ") +
           QStringLiteral("AND T.SET_SPOT_ID=S.SPOT_ID ") +
           QStringLiteral("AND A.AXLE_ID = L.AXLE_ID ") + QStringLiteral("AND T.EQUP_TYPE = ") +
           QString::number(mode) + QStringLiteral(" ") + QStringLiteral("AND T.OPER_STAT = 'Y' ") +
           QStringLiteral("ORDER BY AXLE_NAME1, ATC_NUM1 ");
}

QString ResrBranchSql(int mode) {
    return QStringLiteral("SELECT DISTINCT ") + QStringLiteral("R.RESR_SPOT_ID RESR_SPOT_ID1, ") +
           QStringLiteral("R.RESR_NAME RESR_NAME1, ") + QStringLiteral("S.SPOT_ID SPOT_ID1, ") +
           QStringLiteral("S.SPOT_NAME SPOT_NAME1, ") + QStringLiteral("A.ATC_ID ATC_ID1, ") +
           QStringLiteral("A.ATC_NUM ATC_NUM1 ") + QStringLiteral("FROM RESR_SPOT_CONF_INFO C, ") +
           QStringLiteral("          SPOT_INFO S, ") + QStringLiteral("          ATC_INFO A, ") +
           QStringLiteral("          RESR_SPOT_INFO R ") +
           QStringLiteral("WHERE C.RESR_GRUP_NUM = '0' ") +
           QStringLiteral("AND R.RESR_SPOT_ID = C.RESR_SPOT_ID ") +
           QStringLiteral("AND C.SPOT_ID=S.SPOT_ID ") +
           QStringLiteral("AND S.SPOT_ID=A.SET_SPOT_ID ") + QStringLiteral("AND A.EQUP_TYPE = ") +
           QString::number(mode) + QStringLiteral(" ") + QStringLiteral("AND A.OPER_STAT = 'Y' ") +
           QStringLiteral("ORDER BY RESR_NAME1, ATC_NUM1 ");
}

QString VdsGridSql(const QString& atcList) {
    return QStringLiteral("SELECT ") +
           QStringLiteral("DISTINCT TO_CHAR(M.TYPE_TIME, 'YYYY-MM-DD') YMD, ") +
           StatusSelectPieces() + QStringLiteral("DECODE(M.IOFL_TYPE,'1',M.TRAF) AS ITRAF, ") +
           QStringLiteral("ROUND(DECODE(M.IOFL_TYPE,'1',M.SPED),2) AS ISPED, ") +
           QStringLiteral("DECODE(M.IOFL_TYPE,'1',M.OCCU_RATE) AS IRATE, ") +
           QStringLiteral("DECODE(M.IOFL_TYPE,'1',M.TRAF_STAT) AS ISTAT, ") +
           QStringLiteral("DECODE(M.IOFL_TYPE,'2',M.TRAF) AS OTRAF, ") +
           QStringLiteral("ROUND(DECODE(M.IOFL_TYPE,'2',M.SPED),2) AS OSPED, ") +
           QStringLiteral("DECODE(M.IOFL_TYPE,'2',M.OCCU_RATE) AS ORATE, ") +
           QStringLiteral("DECODE(M.IOFL_TYPE,'2',M.TRAF_STAT) AS OSTAT ") +
           NewestTrafficFromWhere() + QStringLiteral("AND A.EQUP_TYPE = '2' ") +
           QStringLiteral("AND A.ATC_ID IN (") + atcList + QStringLiteral(")") +
           QStringLiteral("ORDER BY TO_CHAR(M.TYPE_TIME, 'YYYY-MM-DD') ");
}

QString NewSglGridSql(const QString& atcList) {
    return QStringLiteral("SELECT ") + QStringLiteral("DISTINCT ") +
           QStringLiteral("TO_CHAR(C.TYPE_TIME, 'YYYY-MM-DD') YMD, ") + StatusSelectPieces() +
           QStringLiteral("R.CROS_DIR_TYPE CROS_DIR_TYPE, ") + QStringLiteral("C.SPED SPED, ") +
           QStringLiteral("C.LEFT_TRAF LTRAF, ") + QStringLiteral("C.STGH_TRAF STRAF, ") +
           QStringLiteral("C.RIGH_TRAF RTRAF ") + QStringLiteral("FROM ") +
           QStringLiteral("COSM_NEW_TRAF_INFO C, ") + QStringLiteral("ROAD_LINK_INFO R, ") +
           QStringLiteral("SPOT_INFO S, ") + QStringLiteral("OVD_INFO O, ") +
           QStringLiteral("ATC_INFO A, ") + QStringLiteral("EQUP_STAT_HIST_NEW_INFO E, ") +
           QStringLiteral("BASE_CODE_INFO B ") + QStringLiteral("WHERE ") +
           QStringLiteral("O.LINK_ID=R.LINK_ID ") + QStringLiteral("AND O.ATC_ID=A.ATC_ID ") +
           QStringLiteral("AND E.ATC_ID = A.ATC_ID ") +
           QStringLiteral("AND A.SET_SPOT_ID=S.SPOT_ID ") +
           QStringLiteral("AND B.CODE_TYPE = 'VD_EK' ") +
           QStringLiteral("AND B.SYS_CODE = A.EQUP_TYPE ") +
           QStringLiteral("AND A.EQUP_TYPE = '1' ") + QStringLiteral("AND C.ATC_ID = O.ATC_ID ") +
           QStringLiteral("AND C.CROS_DIR_TYPE = R.CROS_DIR_TYPE ") +
           QStringLiteral("AND A.ATC_ID IN (") + atcList + QStringLiteral(")") +
           QStringLiteral("ORDER BY TO_CHAR(C.TYPE_TIME, 'YYYY-MM-DD') ");
}

QString ColDateSql(int mode, const QString& atcList) {
    return QStringLiteral("SELECT TO_CHAR(MAX(TYPE_TIME), 'YYYY/MM/DD HH24:MI:SS') COL_DATE ") +
           (mode == 1 ? QStringLiteral("FROM COSM_NEW_TRAF_INFO ")
                      : QStringLiteral("FROM ATC_NEW_TRAF_INFO ")) +
           QStringLiteral("WHERE ATC_ID IN (") + atcList + QStringLiteral(")");
}

QString StatusGridSql(int mode, const QString& list) {
    QString sql = QStringLiteral("SELECT ") +
                  QStringLiteral("DISTINCT TO_CHAR(M.TYPE_TIME, 'YYYY-MM-DD') YMD, ") +
                  StationSelectPieces() + QStringLiteral("E.COM_ERR_STAT COM_ERR_STAT ") +
                  NewestTrafficFromWhere();
    if (mode == 1)
        sql += QStringLiteral("AND A.EQUP_TYPE = '1' ");
    else if (mode == 2)
        sql += QStringLiteral("AND A.EQUP_TYPE = '2' ");
    sql += QStringLiteral("AND A.ATC_ID IN (") + list + QStringLiteral(") ");
    sql += QStringLiteral("ORDER BY TO_CHAR(M.TYPE_TIME, 'YYYY-MM-DD') ");
    return sql;
}

namespace {
// The operating VDS controllers with their newest figures, joined to their axes and survey-point
// groups; each non-empty edit adds one condition.
const QString kBaseSql = QStringLiteral(
    "SELECT DISTINCT L.ROAD_NUM, A.ATC_NUM, S.SPOT_LOCA, DECODE(M.IOFL_TYPE,'1',M.TRAF) AS ITRAF, "
    "ROUND(DECODE(M.IOFL_TYPE,'1',M.SPED),2) AS ISPED, DECODE(M.IOFL_TYPE,'2',M.TRAF) AS OTRAF, "
    "ROUND(DECODE(M.IOFL_TYPE,'2',M.SPED),2) AS OSPED FROM ATC_NEW_TRAF_INFO M, ROAD_LINK_INFO L, "
    "SPOT_INFO S, OVD_INFO O, ATC_INFO A, RESR_SPOT_CONF_INFO C, RESR_SPOT_INFO R, AXLE_INFO X "
    "WHERE  C.RESR_GRUP_NUM = R.RESR_GRUP_NUM AND R.RESR_SPOT_ID = C.RESR_SPOT_ID AND "
    "C.SPOT_ID=S.SPOT_ID AND M.ATC_ID=O.ATC_ID AND O.LINK_ID=L.LINK_ID AND L.IOFL_TYPE=M.IOFL_TYPE "
    "AND O.ATC_ID=A.ATC_ID AND A.SET_SPOT_ID=S.SPOT_ID AND A.EQUP_TYPE = '2' AND A.OPER_STAT = 'Y' "
    "AND X.AXLE_ID = L.AXLE_ID AND L.LINK_ID=O.LINK_ID AND O.ATC_ID=A.ATC_ID ");

// In the edits' order. The survey point is compared with what its pick list offers: SPOT_INFO.
const char* const kConditionPrefixes[] = {"AND X.AXLE_ID = '",       "AND X.AXLE_NAME = '",
                                          "AND R.RESR_GRUP_NUM = '", "AND R.RESR_GRUP_NAME = '",
                                          "AND S.SPOT_ID = '",       "AND S.SPOT_NAME = '"};
}  // namespace

QString SearchSql(const QStringList& edits) {
    QString sql;
    sql += kBaseSql;
    const int n =
        std::min(static_cast<int>(edits.size()), static_cast<int>(std::size(kConditionPrefixes)));
    for (int i = 0; i < n; ++i) {
        if (edits[i].isEmpty()) continue;
        // Doubled quotes keep a typed value a value: it is searched for as it stands.
        sql +=
            QLatin1String(kConditionPrefixes[i]) + SqlQuoted(Trim(edits[i])) + QStringLiteral("' ");
    }
    return sql;
}

QString AxisPickListSql() {
    QString sql;
    sql += QStringLiteral("SELECT AXLE_ID, AXLE_NAME ");
    sql += QStringLiteral("FROM AXLE_INFO ");
    return sql;
}

QString ResrGroupPickListSql() {
    QString sql;
    sql += QStringLiteral("SELECT DISTINCT RESR_GRUP_NUM, RESR_GRUP_NAME, RESR_SPOT_ID ");
    sql += QStringLiteral("FROM RESR_SPOT_INFO ");
    return sql;
}

QString ResrPickListSql() {
    QString sql;
    sql += QStringLiteral("SELECT SPOT_ID, SPOT_NAME ");
    sql += QStringLiteral("FROM SPOT_INFO ");
    return sql;
}
