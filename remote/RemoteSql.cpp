#include "RemoteSql.h"

#include "Text.h"

QString AxisListSql() {
    return QStringLiteral("SELECT AXLE_ID, AXLE_NAME ") + QStringLiteral("FROM AXLE_INFO ") +
           QStringLiteral("ORDER BY AXLE_NAME ");
}

QString AxisControllersSql(const QString& equpType, const QString& axleId) {
    return QStringLiteral("SELECT DISTINCT ") + QStringLiteral("L.LINK_ID LINK_ID, ") +
           QStringLiteral("S.SPOT_ID SPOT_ID, ") + QStringLiteral("S.SPOT_NAME SPOT_NAME, ") +
           QStringLiteral("T.ATC_ID ATC_ID ") + QStringLiteral("FROM ROAD_LINK_INFO L, ") +
           QStringLiteral("  OVD_INFO O, ") + QStringLiteral("  ATC_INFO T, ") +
           QStringLiteral("  SPOT_INFO S ") + QStringLiteral("WHERE L.AXLE_ID = '") +
           SqlQuoted(axleId) + QStringLiteral("' ") + QStringLiteral("AND L.LINK_ID=O.LINK_ID ") +
           QStringLiteral("AND O.ATC_ID=T.ATC_ID ") + QStringLiteral("AND T.EQUP_TYPE = '") +
           SqlQuoted(equpType) + QStringLiteral("' ") +
           QStringLiteral("AND T.SET_SPOT_ID=S.SPOT_ID ");
}

QString ResrListSql() {
    return QStringLiteral("SELECT DISTINCT ") + QStringLiteral("RESR_SPOT_ID, RESR_NAME ") +
           QStringLiteral("FROM RESR_SPOT_INFO ") + QStringLiteral("WHERE RESR_GRUP_NUM='0' ") +
           QStringLiteral("ORDER BY RESR_NAME ");
}

QString ResrControllersSql(const QString& equpType, const QString& resrSpotId) {
    return QStringLiteral("SELECT DISTINCT ") + QStringLiteral("S.SPOT_ID SPOT_ID, ") +
           QStringLiteral("S.SPOT_NAME SPOT_NAME, ") + QStringLiteral("A.ATC_ID ATC_ID ") +
           QStringLiteral("FROM RESR_SPOT_CONF_INFO C, ") + QStringLiteral("  SPOT_INFO S, ") +
           QStringLiteral("  ATC_INFO A ") + QStringLiteral("WHERE C.RESR_GRUP_NUM='0' ") +
           QStringLiteral("AND C.RESR_SPOT_ID='") + SqlQuoted(resrSpotId) + QStringLiteral("' ") +
           QStringLiteral("AND C.SPOT_ID=S.SPOT_ID ") +
           QStringLiteral("AND S.SPOT_ID=A.SET_SPOT_ID ") + QStringLiteral("AND A.EQUP_TYPE = '") +
           SqlQuoted(equpType) + QStringLiteral("' ");
}

QString LoopDetCountSql(const QString& atcId) {
    return QStringLiteral("SELECT ") + QStringLiteral("COUNT(A.ATC_ID) OVD_CNT ") +
           QStringLiteral("FROM ATC_INFO A, ") + QStringLiteral("OVD_INFO O ") +
           QStringLiteral("WHERE A.ATC_ID = O.ATC_ID ") + QStringLiteral("AND A.EQUP_TYPE = 2 ") +
           QStringLiteral("AND A.OPER_STAT = 'Y' ") + QStringLiteral("AND O.OPER_STAT = 'Y' ") +
           QStringLiteral("AND A.ATC_ID = '") + SqlQuoted(atcId) + QStringLiteral("'");
}

QString AxisAndCtlNoSql(const QString& atcId) {
    return QStringLiteral("SELECT DISTINCT ") + QStringLiteral("X.AXLE_NAME AXLE_NAME1, ") +
           QStringLiteral("A.ATC_NUM ATC_NUM1, ") + QStringLiteral("A.ATC_ID, ") +
           QStringLiteral("O.LINK_ID, ") + QStringLiteral("X.AXLE_ID ") +
           QStringLiteral("FROM ATC_INFO A, ") + QStringLiteral("\tOVD_INFO O, ") +
           QStringLiteral("\tROAD_LINK_INFO R, ") + QStringLiteral("\tAXLE_INFO X ") +
           QStringLiteral("WHERE A.ATC_ID = O.ATC_ID ") +
           QStringLiteral("AND O.LINK_ID = R.LINK_ID ") +
           QStringLiteral("AND R.AXLE_ID = X.AXLE_ID ") + QStringLiteral("AND A.ATC_ID = '") +
           SqlQuoted(atcId) + QStringLiteral("'") +
           QStringLiteral("ORDER BY AXLE_NAME1, ATC_NUM1 ");
}

QString ParamGroupSql(const QString& atcId, int paraIndex) {
    const QString id = SqlQuoted(atcId);
    const QString n = QString::asprintf("%d", paraIndex);
    return QStringLiteral(
               "SELECT MAGM_TIME, PARA_INDX, PARA001_VALU, PARA002_VALU, PARA003_VALU, "
               "PARA004_VALU, "
               "PARA005_VALU, PARA006_VALU, PARA012_VALU, PARA013_VALU, PARA014_VALU, "
               "PARA016_VALU, "
               "PARA017_VALU, PARA020_VALU  FROM ATC_PARA_HIST_INFO WHERE MAGM_TIME = (     SELECT "
               "    "
               "MAX(MAGM_TIME) TM     FROM ATC_PARA_HIST_INFO     WHERE ATC_ID = '") +
           id + QStringLiteral("'     AND PARA_INDX = ") + n + QStringLiteral(" ) AND ATC_ID = '") +
           id + QStringLiteral("' AND PARA_INDX = ") + n + QStringLiteral(" ");
}

QString AtcVersionSql(const QString& atcId) {
    return QStringLiteral("SELECT ") + QStringLiteral("ATC_VER, ") +
           QStringLiteral("ATC_CRTE_DATE ") + QStringLiteral("FROM ATC_INFO ") +
           QStringLiteral("WHERE EQUP_TYPE = '2' ") + QStringLiteral("AND ATC_ID = '") +
           SqlQuoted(atcId) + QStringLiteral("'");
}

QString CtrlResultSql(const QString& atcId) {
    const QString id = SqlQuoted(atcId);
    return QStringLiteral("SELECT ") + QStringLiteral("THRESHOLD, ") +
           QStringLiteral("ONLINE_STATUS, ") + QStringLiteral("MEMORY, ") +
           QStringLiteral("ECHO ") + QStringLiteral("FROM OVD_MAGM_HIST_INFO ") +
           QStringLiteral("WHERE ATC_ID = '") + id + QStringLiteral("'") +
           QStringLiteral("AND MAGM_RESP_TIME = ") + QStringLiteral("( ") +
           QStringLiteral(" \tSELECT MAX(MAGM_RESP_TIME) ") +
           QStringLiteral("\tFROM OVD_MAGM_HIST_INFO  ") + QStringLiteral("\tWHERE ATC_ID = '") +
           id + QStringLiteral("'") + QStringLiteral(") ");
}

QString AccuTrafSql(const QString& atcId) {
    return QStringLiteral("SELECT R.ROAD_NUM ROAD_NUM, A.ATC_NUM ATC_NUM, ") +
           QStringLiteral("S.SPOT_LOCA SPOT_LOCA, M.DETC_TIME DETC_TIME, ") +
           QStringLiteral("ROUND(AVG(DECODE(R.IOFL_TYPE,'1',M.SPED,0)),2) AS ISPED, ") +
           QStringLiteral("ROUND(AVG(DECODE(R.IOFL_TYPE,'1',M.TRAF,0)),2) AS ITRAF, ") +
           QStringLiteral("ROUND(AVG(DECODE(R.IOFL_TYPE,'1',M.OCCU_RATE,0)),2) AS IOCCURATE, ") +
           QStringLiteral("ROUND(AVG(DECODE(R.IOFL_TYPE,'2',M.SPED,0)),2) AS OSPED, ") +
           QStringLiteral("ROUND(AVG(DECODE(R.IOFL_TYPE,'2',M.TRAF,0)),2) AS OTRAF, ") +
           QStringLiteral("ROUND(AVG(DECODE(R.IOFL_TYPE,'2',M.OCCU_RATE,0)),2) AS OOCCURATE ") +
           QStringLiteral("FROM ACCU_TRAF_INFO M, ") + QStringLiteral("\tOVD_INFO O, ") +
           QStringLiteral("\tROAD_LINK_INFO R, ") + QStringLiteral("     \tATC_INFO A, ") +
           QStringLiteral("     \tSPOT_INFO S ") + QStringLiteral("WHERE M.ATC_ID = A.ATC_ID ") +
           QStringLiteral("  AND A.SET_SPOT_ID = S.SPOT_ID ") +
           QStringLiteral("  AND M.ATC_ID = O.ATC_ID ") +
           QStringLiteral("  AND M.LANE_NUM = O.LANE_NUM ") +
           QStringLiteral("  AND O.LINK_ID = R.LINK_ID ") +
           QStringLiteral("  AND M.USED_STAT = 0 ") + QStringLiteral("  AND M.ATC_ID = '") +
           SqlQuoted(atcId) + QStringLiteral("'  ") +
           QStringLiteral("GROUP BY R.ROAD_NUM, A.ATC_NUM, S.SPOT_LOCA, M.DETC_TIME ");
}
